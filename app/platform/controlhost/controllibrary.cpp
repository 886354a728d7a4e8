#include "platform/controlhost/controllibrary.h"

#include <tabulo/control.h>

#include <QCoreApplication>
#include <QDir>
#include <QJsonObject>
#include <QLibrary>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QUuid>

namespace velmora::ControlLibrary {

namespace {

Failure cannotCreate(const QString &description, const QString &path)
{
    return Failure{CannotCreate, description, path};
}

bool matches(const QJsonObject &metaData, QStringView progId, QStringView classId)
{
    if (metaData.value(QLatin1StringView("IID")).toString()
        != QLatin1StringView(TABULO_CONTROLFACTORY_IID))
        return false;
    const QJsonObject own = metaData.value(QLatin1StringView("MetaData")).toObject();
    const QString foundProgId = own.value(QStringView(tabulo::ProgIdKey)).toString();
    const QUuid foundClassId(own.value(QStringView(tabulo::ClassIdKey)).toString());
    return foundProgId.compare(progId, Qt::CaseInsensitive) == 0 && !foundClassId.isNull()
           && foundClassId == QUuid(classId);
}

} // namespace

QStringList searchFolders()
{
    const QString override = qEnvironmentVariable(OverrideVariable);
    if (!override.isEmpty())
        return override.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder, QDir::cleanPath(programFolder + QStringLiteral("/../lib/velmora")),
            QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/velmora")};
}

Outcome<QString> find(QStringView progId, QStringView classId, const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QDir dir(folder);
        if (!dir.exists())
            continue;
        const auto entries = dir.entryInfoList(QDir::Files, QDir::Name);
        for (const QFileInfo &entry : entries) {
            if (!QLibrary::isLibrary(entry.fileName()))
                continue;
            // Reads the metadata section only; nothing of the file runs.
            const QPluginLoader reader(entry.absoluteFilePath());
            if (matches(reader.metaData(), progId, classId))
                return Outcome<QString>::of(entry.absoluteFilePath());
        }
    }
    return Outcome<QString>::fail(cannotCreate(
        QStringLiteral("Не найдена библиотека элемента управления «%1». "
                       "Переустановите программу.")
            .arg(progId),
        folders.join(QDir::listSeparator())));
}

Outcome<tabulo::ControlFactory *> load(const QString &path)
{
    QPluginLoader loader(path);
    // Never unloaded: controls made by the library may live until the end.
    QObject *root = loader.instance();
    auto *factory = qobject_cast<tabulo::ControlFactory *>(root);
    if (!factory) {
        qWarning("Control library %s: %s", qUtf8Printable(path),
                 root ? "it does not make controls" : qUtf8Printable(loader.errorString()));
        return Outcome<tabulo::ControlFactory *>::fail(cannotCreate(
            QStringLiteral("Библиотека элемента управления повреждена "
                           "или не подходит к этой версии программы: %1")
                .arg(QDir::toNativeSeparators(path)),
            path));
    }
    return Outcome<tabulo::ControlFactory *>::of(factory);
}

Outcome<tabulo::Control *> create(QStringView progId, QStringView classId, QWidget *parent,
                                  const QStringList &folders)
{
    const Outcome<QString> found = find(progId, classId, folders);
    if (!found.ok())
        return Outcome<tabulo::Control *>::fail(*found.failure);
    const Outcome<tabulo::ControlFactory *> factory = load(found.value);
    if (!factory.ok())
        return Outcome<tabulo::Control *>::fail(*factory.failure);
    tabulo::Control *control = factory.value->create(parent);
    if (!control)
        return Outcome<tabulo::Control *>::fail(cannotCreate(
            QStringLiteral("Не удалось создать элемент управления «%1».").arg(progId),
            found.value));
    return Outcome<tabulo::Control *>::of(control);
}

} // namespace velmora::ControlLibrary
