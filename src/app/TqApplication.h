#pragma once

#include <QApplication>

class UserMessages;

// Every event, timer tick, signal delivered by a queued call and dialog answer passes through
// notify(), so catching here gives every handler the same error report, shown through the
// messages given (on screen, unless a test answers them).
class TqApplication : public QApplication {
    Q_OBJECT
public:
    TqApplication(int& argc, char** argv, UserMessages& messages);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    UserMessages& m_messages;
};
