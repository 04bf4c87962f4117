#include "window/settings_guard.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "whole_file/whole_file.hpp"

namespace flyback::window {
namespace {

QString& Note() {
    static QString note;
    return note;
}

// The files QSettings() reads on this system: the application's and the
// organisation's.
QStringList SettingsFiles() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QString organisation = QCoreApplication::organizationName();
    if (organisation.isEmpty()) organisation = QStringLiteral("Unknown Organization");
    return {
        QDir(folder).filePath(organisation + "/" + QCoreApplication::applicationName() + ".conf"),
        QDir(folder).filePath(organisation + ".conf")};
}

}  // namespace

void NameTheSettings() {
    const QString unnamed = SettingsFiles().front();
    QCoreApplication::setOrganizationName(QCoreApplication::applicationName());
    const QString named = SettingsFiles().front();
    // Only a regular file is copied; anything else is the guard's to set aside.
    if (QFileInfo(named).exists() || !QFileInfo(unnamed).isFile()) return;
    QDir().mkpath(QFileInfo(named).absolutePath());
    QFile::copy(unnamed, named);
}

QString GuardSettingsFile() {
    for (const QString& path : SettingsFiles()) {
        QString why;
        if (!whole_file::KindOf(path.toStdString()).empty()) {
            why = QStringLiteral("不是普通文件");
        } else if (const QFileInfo file(path); file.exists() && file.size() > kMostSettingsBytes) {
            why = QStringLiteral("大于 %1 MiB").arg(kMostSettingsBytes / (qint64{1024} * 1024));
        } else {
            continue;
        }
        static QTemporaryDir apart;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, apart.path());
        Note() =
            QStringLiteral("设置文件 %1 %2，本次未读取设置，所作更改也不会保存。").arg(path, why);
        return Note();
    }
    Note().clear();
    return {};
}

const QString& SettingsGuardNote() {
    return Note();
}

}  // namespace flyback::window
