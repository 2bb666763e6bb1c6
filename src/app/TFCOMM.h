#pragma once

#include "ProgramState.h"

#include <QMainWindow>

// The main window. Placeholder until the layout lands.
class TFCOMM : public QMainWindow {
    Q_OBJECT
public:
    explicit TFCOMM(QWidget* parent = nullptr);

    ProgramState& state() { return m_state; }

private:
    ProgramState m_state;
};
