#pragma once

#include <QString>

class QUrl;

namespace snipster {

// The texts of a failed shell open.
inline constexpr char kShellErrorNotFound[] = "The system cannot find the file specified.";
inline constexpr char kShellErrorNoAssociation[] =
    "There is no application associated with the given file name extension.";

// Opens a file or folder with the desktop's default application. On failure returns false and
// puts the text to show into error (optional).
bool ShellOpen(const QString& path, QString* error = nullptr);

// Opens a web or mail address the same way.
bool ShellOpenUrl(const QUrl& url, QString* error = nullptr);

}  // namespace snipster
