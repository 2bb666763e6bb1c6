#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// Long saves, loads and prints run on the event loop's thread, handing control back between
// blocks of their work. A job still running after a moment puts up a window-modal progress
// dialog, and from then on each block lets events through, so the window stays painted and
// readings keep being recorded. A quick job shows nothing: no dialog flashes, and no event is
// let through in the middle of it.
class DelayedProgress {
public:
    // Told between two blocks how much of the work is done; false once the user has cancelled.
    // A step with done == total does not end the dialog, since work may remain after the last
    // block is counted; close() does.
    using Callback = std::function<bool(qint64 done, qint64 total)>;

    struct Dialog {
        QString label;
        // No Cancel button when empty.
        QString cancelText;
        QString objectName;
    };

    static constexpr std::chrono::milliseconds kShowAfter{300};

    // The dialog, once shown, is a child of window. The delay counts from here.
    DelayedProgress(QWidget* window, Dialog dialog, std::chrono::milliseconds showAfter = kShowAfter);
    ~DelayedProgress();
    DelayedProgress(const DelayedProgress&) = delete;
    DelayedProgress& operator=(const DelayedProgress&) = delete;

    // The step to hand to the work; it must not outlive this object.
    Callback callback();

    // Takes the dialog down, so that a message about the outcome does not appear under it.
    void close();

private:
    bool step(qint64 done, qint64 total);

    QWidget* m_window;
    Dialog m_settings;
    std::chrono::milliseconds m_showAfter;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};
