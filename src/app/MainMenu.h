#pragma once

#include "serial/SerialLinkPorts.h"

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;

// The window's menu bar: the hidden Connect menu whose START carries Ctrl+A, the Record menu
// with Save and the record limits, Help and the hidden About.
class MainMenu : public QObject, public SerialMenuItems {
    Q_OBJECT
public:
    explicit MainMenu(QMainWindow* window);

    QAction* start() const { return m_start; }  // START1
    QAction* stop() const { return m_stop; }    // STOP1
    QAction* save() const { return m_save; }    // Save1
    QAction* about() const { return m_about; }  // About
    QAction* help() const { return m_help; }    // Help1
    // The record-limit item with that object name.
    QAction* recordLimit(const char* objectName) const;

    void markSerialConnected(bool connected) override;

private:
    QMenu* m_record = nullptr;
    QAction* m_start = nullptr;
    QAction* m_stop = nullptr;
    QAction* m_save = nullptr;
    QAction* m_about = nullptr;
    QAction* m_help = nullptr;
};
