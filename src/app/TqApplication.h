#pragma once

#include <QApplication>

class UserMessages;

// The program's application object. The window's handlers report their own failures where they
// are connected (TFCOMM::handle), so no exception is meant to reach Qt's event dispatch; notify()
// is the last resort for one that escapes anything else, shown through the same error report.
class TqApplication : public QApplication {
    Q_OBJECT
public:
    TqApplication(int& argc, char** argv, UserMessages& messages);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    UserMessages& m_messages;
};
