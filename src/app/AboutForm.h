#pragma once

#include <QWidget>

// The About window: an empty window with its caption. It is a window of its own, owned by
// the main window so that closing the main window still ends the program.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* owner);

protected:
    // The window's size counts its frame, which is known only once the desktop shows it.
    void showEvent(QShowEvent* event) override;
};
