#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace snipster {

bool ShellOpen(const QString& path, QString* error) {
  if (path.isEmpty() || !QFileInfo::exists(path)) {
    if (error) *error = QString::fromLatin1(kShellErrorNotFound);
    return false;
  }
  return ShellOpenUrl(QUrl::fromLocalFile(path), error);
}

bool ShellOpenUrl(const QUrl& url, QString* error) {
  if (QDesktopServices::openUrl(url)) return true;
  if (error) *error = QString::fromLatin1(kShellErrorNoAssociation);
  return false;
}

}  // namespace snipster
