#include "settings/preferences_store.h"

#include <climits>
#include <fstream>
#include <iterator>
#include <optional>
#include <type_traits>
#include <system_error>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include "settings/file_replacement.h"
#include "settings/preference_checks.h"
#include "settings/system_locale.h"
#include "resources/string_table.h"
#include "resources/program_files.h"

namespace korvid::settings {

namespace fs = std::filesystem;

namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString PathText(const fs::path& path) { return QFile::decodeName(path.c_str()); }

bool FileExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::optional<int> AsInt32(const QVariant& value) {
  if (!value.isValid() || !IsPlainStoredValue(value)) return std::nullopt;
  bool ok = false;
  const qlonglong number = value.toLongLong(&ok);
  if (!ok || number < INT_MIN || number > INT_MAX) return std::nullopt;
  return static_cast<int>(number);
}

std::optional<std::string> AsText(const QVariant& value) {
  if (!value.isValid() || !IsPlainStoredValue(value)) return std::nullopt;
  // A hand-edited file may hold a text with unquoted commas, read as a list.
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(QStringLiteral(", ")).toStdString();
  }
  if (!value.canConvert<QString>()) return std::nullopt;
  return value.toString().toStdString();
}

// Reads the values of one group into owner, which already holds the defaults.
template <class Owner>
void ReadValues(QSettings& settings, std::span<const ValueSpec<Owner>> specs, Owner& owner,
                const DefaultEnvironment& environment) {
  for (const auto& spec : specs) {
    const QVariant stored = settings.value(Q(spec.name));
    std::visit(
        [&](const auto& field) {
          using Field = std::decay_t<decltype(field)>;
          if constexpr (std::is_same_v<Field, IntField<Owner>>) {
            const std::optional<int> n = AsInt32(stored);
            if (n && *n >= field.min && *n <= field.max) owner.*field.member = *n;
          } else if constexpr (std::is_same_v<Field, BoolField<Owner>>) {
            const std::optional<int> n = AsInt32(stored);
            if (n) owner.*field.member = *n != 0;
          } else {
            const std::optional<std::string> text = AsText(stored);
            if (text && IsValidText(field, *text)) owner.*field.member = *text;
            if (field.emptyTakesDefault && (owner.*field.member).empty()) {
              owner.*field.member = DefaultOf(field, environment);
            }
          }
        },
        spec.field);
  }
}

template <class Owner>
void WriteValues(QSettings& settings, std::span<const ValueSpec<Owner>> specs, const Owner& owner) {
  for (const auto& spec : specs) {
    std::visit(
        [&](const auto& field) {
          using Field = std::decay_t<decltype(field)>;
          if constexpr (std::is_same_v<Field, BoolField<Owner>>) {
            // Flags are stored as the integers 0 and 1.
            settings.setValue(Q(spec.name), owner.*field.member ? 1 : 0);
          } else if constexpr (std::is_same_v<Field, IntField<Owner>>) {
            settings.setValue(Q(spec.name), owner.*field.member);
          } else {
            settings.setValue(Q(spec.name), Q(owner.*field.member));
          }
        },
        spec.field);
  }
}

// The settings store treats both slashes as group separators.
bool IsStorableName(const std::string& name) {
  return !name.empty() && name.find_first_of("/\\") == std::string::npos;
}

std::vector<ActionChoice> ReadActions(QSettings& settings) {
  std::vector<ActionChoice> actions;
  settings.beginGroup(Q(kActionsGroup));
  for (const QString& key : settings.childKeys()) {
    const std::optional<int> state = AsInt32(settings.value(key));
    if (state) actions.push_back({key.toStdString(), *state});
  }
  settings.endGroup();
  return actions;
}

std::string RegisteredFrameGrabber(const StoreLocation& location) {
  if (!FileExists(location.FrameGrabberFile())) return {};
  QSettings registration(PathText(location.FrameGrabberFile()), QSettings::NativeFormat);
  const std::string program = AsText(registration.value(Q(kFrameGrabberExecutableValue))).value_or(std::string());
  return HasControlCharacter(program) ? std::string() : program;
}

std::string WithProductName(resources::Text text) { return resources::Fill(text, {kProductName}); }

bool IsEmptyFolder(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec) && fs::is_empty(folder, ec) && !ec;
}

void WriteAll(QSettings& settings, const Preferences& preferences, const SaveStamp& stamp) {
  settings.setValue(Q(kVersionValue), Q(VersionValueText(stamp.version)));
  settings.setValue(Q(kLastSaveValue), Q(FormatDateTime(kLastSaveFormat, stamp.savedAt, stamp.locale)));
  settings.setValue(Q(kExecutableValue), Q(stamp.executablePath));
  WriteValues(settings, MainValueSpecs(), preferences);

  settings.remove(Q(kActionsGroup));
  settings.beginGroup(Q(kActionsGroup));
  for (const ActionChoice& action : preferences.actions) {
    if (IsStorableName(action.name)) settings.setValue(Q(action.name), action.state);
  }
  settings.endGroup();

  settings.beginGroup(Q(kFontGroup));
  WriteValues(settings, FontValueSpecs(), preferences.incrustFont);
  settings.endGroup();
}

std::optional<std::string> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return std::nullopt;
  return bytes;
}

// The draft's bytes when they hold every value the save meant to write. They
// are read back under a new name: the settings class keeps what it read of
// a file name in memory and would not look at the bytes again.
std::optional<std::string> WrittenWhole(const fs::path& draft, const QSettings& meant) {
  std::optional<std::string> bytes = FileBytes(draft);
  if (!bytes) return std::nullopt;
  const fs::path copy = draft.parent_path() / "check.conf";
  if (ReplaceFile(copy, *bytes) != 0) return std::nullopt;
  const QSettings found(PathText(copy), QSettings::NativeFormat);
  if (found.status() != QSettings::NoError) return std::nullopt;
  for (const QString& key : meant.allKeys()) {
    if (!found.contains(key) || found.value(key).toString() != meant.value(key).toString()) return std::nullopt;
  }
  return bytes;
}

}  // namespace

fs::path StoreLocation::MakerFolder() const { return configRoot / std::string(kMakerName); }

fs::path StoreLocation::ApplicationFile() const {
  return MakerFolder() / (std::string(kProductName) + ".conf");
}

fs::path StoreLocation::FrameGrabberFile() const {
  return MakerFolder() / (std::string(kFrameGrabberApplication) + ".conf");
}

StoreLocation StoreLocation::ForCurrentUser() {
  const QSettings native(QSettings::NativeFormat, QSettings::UserScope, Q(kMakerName),
                         Q(kProductName));
  const fs::path file = native.fileName().toStdString();
  return StoreLocation{file.parent_path().parent_path()};
}

std::string UserDocumentsFolder() {
  // The platform names ~/Documents even on a home without one: saving the
  // default playlist there would fail.
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const bool exists = !documents.isEmpty() && QFileInfo(documents).isDir();
  return (exists ? documents : QDir::homePath()).toStdString();
}

Preferences LoadPreferences(const StoreLocation& location, const DefaultEnvironment& environment) {
  const bool firstStart = !FileExists(location.ApplicationFile());
  Preferences preferences = DefaultPreferences(environment, firstStart);
  if (!firstStart) {
    QSettings settings(PathText(location.ApplicationFile()), QSettings::NativeFormat);
    ReadValues(settings, MainValueSpecs(), preferences, environment);
    preferences.actions = ReadActions(settings);
    settings.beginGroup(Q(kFontGroup));
    ReadValues(settings, FontValueSpecs(), preferences.incrustFont, environment);
    settings.endGroup();
  }
  if (preferences.frameGrabProgram.empty()) {
    preferences.frameGrabProgram = RegisteredFrameGrabber(location);
  }
  return preferences;
}

std::string VersionValueText(const std::string& version) {
  std::string text(kProductName);
  text.append(" ").append(version).append(" ").append(kLanguageCode).append(" by ");
  text.append(kMakerName);
  return text;
}

SaveStamp CurrentSaveStamp(const std::string& version) {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate date = now.date();
  const QTime time = now.time();
  SaveStamp stamp;
  stamp.version = version;
  stamp.executablePath = resources::FrontProgram().string();
  stamp.savedAt = {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
  stamp.locale = SystemLocaleFormats();
  return stamp;
}

void SavePreferences(const StoreLocation& location, const Preferences& preferences,
                     const SaveStamp& stamp) noexcept {
  try {
    // The settings class writes its file through a save that reports success
    // after a failed flush (a full disk): it fills a scratch copy instead,
    // and the file itself is replaced only by content known to be whole.
    const QTemporaryDir scratch;
    if (!scratch.isValid()) return;
    const fs::path draft = fs::path(scratch.path().toStdString()) / "draft.conf";
    const std::optional<std::string> old = FileBytes(location.ApplicationFile());
    if (old && ReplaceFile(draft, *old) != 0) return;
    QSettings settings(PathText(draft), QSettings::NativeFormat);
    WriteAll(settings, preferences, stamp);
    settings.sync();
    if (settings.status() != QSettings::NoError) return;
    const std::optional<std::string> bytes = WrittenWhole(draft, settings);
    if (!bytes) return;
    std::error_code ec;
    fs::create_directories(location.MakerFolder(), ec);
    static_cast<void>(ReplaceFile(location.ApplicationFile(), *bytes));
  } catch (...) {
    // Saving is a courtesy at exit; nothing may come of its failure.
  }
}

std::string DeleteQuestionText() { return WithProductName(resources::Text::kDeletePreferencesQuestion); }

std::string NotFoundText() { return WithProductName(resources::Text::kPreferencesNotFound); }

std::string DeletedText() { return WithProductName(resources::Text::kPreferencesDeleted); }

std::string DeleteFailedText() { return WithProductName(resources::Text::kPreferencesDeleteFailed); }

DeleteOutcome DeletePreferences(const StoreLocation& location, PreferenceDialogs& dialogs) {
  if (!dialogs.AskWarning(DeleteQuestionText())) return DeleteOutcome::Declined;
  const fs::path file = location.ApplicationFile();
  if (!FileExists(file)) {
    dialogs.Warn(NotFoundText());
    return DeleteOutcome::NotFound;
  }
  std::error_code ec;
  fs::remove(file, ec);
  if (ec || FileExists(file)) {
    dialogs.Warn(DeleteFailedText());
    return DeleteOutcome::Failed;
  }
  // Other products of the maker may keep their settings beside ours.
  if (IsEmptyFolder(location.MakerFolder())) fs::remove(location.MakerFolder(), ec);
  dialogs.Inform(DeletedText());
  return DeleteOutcome::Deleted;
}

}  // namespace korvid::settings
