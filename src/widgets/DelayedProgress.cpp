#include "widgets/DelayedProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>

namespace {

// The dialog counts in thousandths so that totals beyond the int range of its bar fit.
constexpr int kProgressSteps = 1000;

}  // namespace

DelayedProgress::DelayedProgress(QWidget* window, Dialog dialog, std::chrono::milliseconds showAfter)
    : m_window(window), m_settings(std::move(dialog)), m_showAfter(showAfter)
{
    m_clock.start();
}

DelayedProgress::~DelayedProgress() = default;

DelayedProgress::Callback DelayedProgress::callback()
{
    return [this](qint64 done, qint64 total) { return step(done, total); };
}

void DelayedProgress::close()
{
    m_dialog.reset();
}

bool DelayedProgress::step(qint64 done, qint64 total)
{
    if (!m_dialog) {
        if (m_clock.elapsed() < m_showAfter.count())
            return true;
        m_dialog = std::make_unique<QProgressDialog>(m_settings.label, m_settings.cancelText, 0, kProgressSteps, m_window);
        m_dialog->setObjectName(m_settings.objectName);
        m_dialog->setWindowModality(Qt::WindowModal);
        if (m_settings.cancelText.isEmpty())
            m_dialog->setCancelButton(nullptr);
        // Shown now, by us; and it stays at the end until closed, as the work may not be over.
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoReset(false);
        m_dialog->show();
    }
    if (total > 0)
        m_dialog->setValue(int(std::clamp<qint64>(done * kProgressSteps / total, 0, kProgressSteps)));
    QCoreApplication::processEvents();
    return !m_dialog->wasCanceled();
}
