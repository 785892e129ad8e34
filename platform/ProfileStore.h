#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QSettings;
class QVariant;

namespace snipster {

// The program's layout values (window placements, splitter position, list columns), kept below
// "Quorbin Corporation/Snipster" in the user's settings. A section is a group path ("Position",
// "splt/init_v103"); values are read with a default and written at once, so a write reports
// whether it reached the disk.
class ProfileStore {
 public:
  // The program's profile: the user's settings, or the file given to RedirectTo.
  ProfileStore();
  // A profile kept in one INI file.
  explicit ProfileStore(const QString& iniPath);
  ~ProfileStore();
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;

  // Makes every profile opened later with the default constructor use iniPath, so that tests
  // never touch the user's settings. An empty path goes back to the user's settings.
  static void RedirectTo(const QString& iniPath);
  // The file given to RedirectTo; empty when the user's settings are used.
  static QString RedirectedPath();

  int ReadInt(const QString& section, const QString& name, int defaultValue) const;
  bool WriteInt(const QString& section, const QString& name, int value);

  QString ReadString(const QString& section, const QString& name,
                     const QString& defaultValue = {}) const;
  bool WriteString(const QString& section, const QString& name, const QString& value);

  // Binary values keep their exact bytes. Absent values give nullopt.
  std::optional<QByteArray> ReadBinary(const QString& section, const QString& name) const;
  bool WriteBinary(const QString& section, const QString& name, const QByteArray& bytes);

  // The file that holds the values.
  QString fileName() const;

 private:
  bool Write(const QString& section, const QString& name, const QVariant& value);

  std::unique_ptr<QSettings> settings_;
};

// The name under which a section's unnamed default value is kept.
inline constexpr char kProfileDefaultValueName[] = "Default";

}  // namespace snipster
