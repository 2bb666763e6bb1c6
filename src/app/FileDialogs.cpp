#include "app/FileDialogs.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QRegularExpression>

namespace FileDialogs {

QStringList nameFilters(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')).trimmed() + QLatin1Char(')');
    }
    return filters;
}

QString suffixForChoice(const QStringList& nameFilters, const QString& chosen)
{
    // Our filters all end in " (patterns)", as nameFilters() builds them.
    static const QRegularExpression split(QStringLiteral("^(.*) \\(([^()]*)\\)$"));
    static const QRegularExpression plainExtension(QStringLiteral("^\\*\\.([^*?.\\[\\]]+)$"));
    for (const QString& filter : nameFilters) {
        const QRegularExpressionMatch parts = split.match(filter);
        if (!parts.hasMatch() || (filter != chosen && parts.captured(1) != chosen))
            continue;
        const QString first = parts.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
        const QRegularExpressionMatch ext = plainExtension.match(first);
        return ext.hasMatch() ? ext.captured(1) : QString();
    }
    return {};
}

namespace {

// Icons and type names from a file's name alone. Qt's own provider reads a file whose name says
// nothing of its type, on the window's thread, while the dialog lists a folder: a kernel file such
// as /proc/kmsg, a device or a named pipe may never answer, and the window would hang for good.
class TypesByName : public QFileIconProvider {
public:
    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return QFileIconProvider::icon(Drive);
        if (info.isDir())
            return QFileIconProvider::icon(Folder);
        const QMimeType type = typeOf(info);
        return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), QFileIconProvider::icon(File)));
    }

    QString type(const QFileInfo& info) const override
    {
        if (info.isRoot() || info.isDir())
            return QFileIconProvider::type(info);
        const QMimeType type = typeOf(info);
        return type.comment().isEmpty() ? type.name() : type.comment();
    }

private:
    QMimeType typeOf(const QFileInfo& info) const
    {
        return m_types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }

    QMimeDatabase m_types;
};

// Holds a dialog's TypesByName for as long as its file model can ask: the model is a child the
// dialog made before this one, and a widget deletes its children in the order they came, so the
// model and its reader thread are gone first.
class TypesByNameHolder : public QObject {
public:
    explicit TypesByNameHolder(QFileDialog* dialog) : QObject(dialog) { dialog->setIconProvider(&m_types); }

private:
    TypesByName m_types;
};

QFileDialog* createDialog(QWidget* parent, const QString& objectName, const QString& filterPairs)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(objectName);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(nameFilters(filterPairs));
    new TypesByNameHolder(dialog);
    return dialog;
}

}  // namespace

QFileDialog* createOpenDialog(QWidget* parent, const QString& objectName, const QString& filterPairs)
{
    QFileDialog* dialog = createDialog(parent, objectName, filterPairs);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog;
}

QFileDialog* createSaveDialog(QWidget* parent, const QString& objectName, const QString& filterPairs,
                              const QString& defaultSuffix)
{
    QFileDialog* dialog = createDialog(parent, objectName, filterPairs);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(defaultSuffix);
    // Without this, choosing "XML" and typing a bare name would still add the first
    // filter's extension and write a text report under an ".xls" name.
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog, defaultSuffix](const QString& filter) {
        const QString suffix = suffixForChoice(dialog->nameFilters(), filter);
        dialog->setDefaultSuffix(suffix.isEmpty() ? defaultSuffix : suffix);
    });
    return dialog;
}

QString askOpenName(QFileDialog* dialog)
{
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return dialog->selectedFiles().value(0);
}

QString askSaveName(QFileDialog* dialog, const QString& proposedName)
{
    // Qt's own dialog keeps the name of the last save and ignores an empty name passed to
    // selectFile, so an empty proposal clears the name box directly.
    if (!proposedName.isEmpty())
        dialog->selectFile(proposedName);
    else if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->clear();
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return dialog->selectedFiles().value(0);
}

}  // namespace FileDialogs
