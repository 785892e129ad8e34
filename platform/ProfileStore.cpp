#include "platform/ProfileStore.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSettings>
#include <QVariant>

namespace snipster {
namespace {

QMutex redirectMutex;
QString redirectPath;  // guarded by redirectMutex

QString Key(const QString& section, const QString& name) {
  return section.isEmpty() ? name : section + '/' + name;
}

}  // namespace

ProfileStore::ProfileStore() {
  QString path;
  {
    QMutexLocker lock(&redirectMutex);
    path = redirectPath;
  }
  if (path.isEmpty()) {
    settings_ = std::make_unique<QSettings>(QStringLiteral("Quorbin Corporation"),
                                            QStringLiteral("Snipster"));
  } else {
    settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
  }
}

ProfileStore::ProfileStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

ProfileStore::~ProfileStore() = default;

void ProfileStore::RedirectTo(const QString& iniPath) {
  QMutexLocker lock(&redirectMutex);
  redirectPath = iniPath;
}

QString ProfileStore::RedirectedPath() {
  QMutexLocker lock(&redirectMutex);
  return redirectPath;
}

int ProfileStore::ReadInt(const QString& section, const QString& name, int defaultValue) const {
  const QVariant value = settings_->value(Key(section, name));
  bool ok = false;
  const int result = value.toInt(&ok);
  return ok ? result : defaultValue;
}

bool ProfileStore::WriteInt(const QString& section, const QString& name, int value) {
  return Write(section, name, value);
}

QString ProfileStore::ReadString(const QString& section, const QString& name,
                                 const QString& defaultValue) const {
  const QVariant value = settings_->value(Key(section, name));
  return value.isValid() ? value.toString() : defaultValue;
}

bool ProfileStore::WriteString(const QString& section, const QString& name, const QString& value) {
  return Write(section, name, value);
}

std::optional<QByteArray> ProfileStore::ReadBinary(const QString& section,
                                                   const QString& name) const {
  const QVariant value = settings_->value(Key(section, name));
  if (!value.isValid()) return std::nullopt;
  return value.toByteArray();
}

bool ProfileStore::WriteBinary(const QString& section, const QString& name,
                               const QByteArray& bytes) {
  return Write(section, name, bytes);
}

QString ProfileStore::fileName() const {
  return settings_->fileName();
}

bool ProfileStore::Write(const QString& section, const QString& name, const QVariant& value) {
  settings_->setValue(Key(section, name), value);
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

}  // namespace snipster
