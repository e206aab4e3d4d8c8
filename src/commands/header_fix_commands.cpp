#include "commands/header_fix_commands.h"

#include <QLocale>
#include <QString>

#include <cmath>
#include <memory>
#include <system_error>

#include "graphs/header_rewrite_job.h"
#include "media/avi_stream_locator.h"
#include "media/le_bytes.h"
#include "resources/string_table.h"

namespace korvid::commands {

namespace {

constexpr std::size_t kMaxQuestionBytes = 255;
constexpr double kPalRate = 25.0;
constexpr double kNtscRate = 29.97;

// Cut to `limit` bytes without splitting a UTF-8 character.
std::string CutQuestion(std::string text) {
  if (text.size() <= kMaxQuestionBytes) return text;
  std::size_t end = kMaxQuestionBytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

// Gives the owner write permission for the life of the object when the
// record says the file is read-only, then puts the recorded permissions
// back, so that a read-only file stays read-only whatever happens.
class WritableWhileFixing {
 public:
  explicit WritableWhileFixing(const media::TAfficherFichier& entry) : path_(entry.fullName) {
    if (!entry.IsReadOnly()) return;
    recorded_ = static_cast<std::filesystem::perms>(entry.attributes & 07777u);
    std::error_code error;
    std::filesystem::permissions(path_, recorded_ | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::replace, error);
    restore_ = !error;
  }
  ~WritableWhileFixing() {
    if (!restore_) return;
    std::error_code error;
    std::filesystem::permissions(path_, recorded_, std::filesystem::perm_options::replace, error);
  }
  WritableWhileFixing(const WritableWhileFixing&) = delete;
  WritableWhileFixing& operator=(const WritableWhileFixing&) = delete;

 private:
  std::filesystem::path path_;
  std::filesystem::perms recorded_ = std::filesystem::perms::none;
  bool restore_ = false;
};

// The player lets go of the file while it is written.
class PlayerReleased {
 public:
  explicit PlayerReleased(CommandHost& host) : host_(host) { host_.ReleasePlayerFile(); }
  ~PlayerReleased() { host_.RetakePlayerFile(); }
  PlayerReleased(const PlayerReleased&) = delete;
  PlayerReleased& operator=(const PlayerReleased&) = delete;

 private:
  CommandHost& host_;
};

std::string ShortestDecimal(double value) {
  return QLocale::system().toString(value, 'g', QLocale::FloatingPointShortest).toStdString();
}

}  // namespace

void SelectFrameRateItem(FrameRateChoiceState& state, int item) {
  state.choice = item;
  state.editEnabled = item == FrameRateChoiceState::kPersonalized;
}

void SelectCodecItem(CodecChoiceState& state, int item) {
  state.choice = item;
  state.editEnabled = item == CodecChoiceState::kPersonalized;
}

std::optional<double> ChosenFrameRate(const FrameRateChoiceState& state) {
  if (!state.choice) return std::nullopt;
  switch (*state.choice) {
    case FrameRateChoiceState::kPal:
      return kPalRate;
    case FrameRateChoiceState::kNtsc:
      return kNtscRate;
    case FrameRateChoiceState::kPersonalized: {
      bool ok = false;
      const double rate = QLocale::system().toDouble(QString::fromStdString(state.editText).trimmed(), &ok);
      if (!ok || !std::isfinite(rate) || rate <= 0) return std::nullopt;
      return rate;
    }
    default:
      return std::nullopt;
  }
}

std::optional<std::uint32_t> ChosenCodec(const CodecChoiceState& state) {
  if (!state.choice) return std::nullopt;
  std::string code;
  switch (*state.choice) {
    case CodecChoiceState::kDvsd:
      code = "dvsd";
      break;
    case CodecChoiceState::kDsvd:
      code = "dsvd";
      break;
    case CodecChoiceState::kCdvc:
      code = "CDVC";
      break;
    case CodecChoiceState::kPersonalized:
      code = state.editText.substr(0, 4);
      break;
    default:
      return std::nullopt;
  }
  if (code.empty()) return std::nullopt;
  for (char c : code)
    if (c < 0x20 || c > 0x7E) return std::nullopt;
  code.resize(4, ' ');
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<unsigned char>(code[i])} << (8 * i);
  return value;
}

std::string CorrigerFpsConfirmation(const media::TAfficherFichier& entry) {
  if (!entry.IsReadOnly()) return {};
  return CutQuestion(resources::Fill(resources::Text::kChangeFramerateOfReadOnly, {entry.fullName}));
}

std::string CorrigerCodecConfirmation(const media::TAfficherFichier& entry) {
  if (!entry.IsReadOnly()) return {};
  return CutQuestion(resources::Fill(resources::Text::kChangeCodecOfReadOnly, {entry.fullName}));
}

void CorrigerFpsFileCondition(const media::TAfficherFichier& entry, bool& /*visible*/, bool& enabled) {
  enabled = entry.dvType != 1;
}

TchUpdateType CorrigerFpsExecution(const media::TAfficherFichier& entry, std::string& /*newfichier*/,
                                   HeaderFixServices& services) {
  FrameRateChoiceState& state = services.frameRate;
  if (!state.choice) {
    state.editEnabled = false;
    if (entry.fps == kPalRate)
      SelectFrameRateItem(state, FrameRateChoiceState::kPal);
    else if (std::fabs(entry.fps * 1001 - 30000) < 1)
      SelectFrameRateItem(state, FrameRateChoiceState::kNtsc);
    else
      SelectFrameRateItem(state, FrameRateChoiceState::kPersonalized);
  }
  if (!services.frameRateChooser.Choose(state)) return utNone;
  const std::optional<double> rate = ChosenFrameRate(state);
  if (!rate) return utNone;
  state.editText = ShortestDecimal(*rate);
  state.lastRate = *rate;
  const PlayerReleased released(services.host);
  const WritableWhileFixing writable(entry);
  media::WriteFrameRate(entry.fullName, *rate);
  return utModify;
}

TchUpdateType CorrigerCodecExecution(const media::TAfficherFichier& entry, std::string& /*newfichier*/,
                                     HeaderFixServices& services) {
  CodecChoiceState& state = services.codec;
  if (!state.choice) {
    state.editEnabled = false;
    if (entry.codec == "dvsd") {
      SelectCodecItem(state, CodecChoiceState::kDvsd);
    } else if (entry.codec == "dsvd") {
      SelectCodecItem(state, CodecChoiceState::kDsvd);
    } else if (entry.codec == "CDVC") {
      SelectCodecItem(state, CodecChoiceState::kCdvc);
    } else {
      SelectCodecItem(state, CodecChoiceState::kPersonalized);
      state.editText = entry.codec;
    }
  }
  if (!services.codecChooser.Choose(state)) return utNone;
  const std::optional<std::uint32_t> code = ChosenCodec(state);
  if (!code) return utNone;
  state.lastCode = media::FourCCText(*code);
  const PlayerReleased released(services.host);
  const WritableWhileFixing writable(entry);
  media::WriteVideoHandler(entry.fullName, *code);
  return utModify;
}

std::string TimeShiftSuffix(int hours) {
  std::string suffix = "_hor";
  if (hours > 0) suffix += "+" + std::to_string(hours);
  if (hours < 0) suffix += "-" + std::to_string(-hours);
  return suffix + ".avi";
}

std::string DecalerHoraireConfirmation(const media::TAfficherFichier& entry,
                                       const settings::Preferences& preferences) {
  return ReplaceQuestion(
      ConversionOutputPath(entry.fullName, TimeShiftSuffix(preferences.clockOffsetHours), preferences));
}

void DecalerHoraireGeneralCondition(const graphs::FilterAvailability& availability, bool& visible) {
  visible = availability.dixmarkFound;
}

void DecalerHoraireFileCondition(const media::TAfficherFichier& entry, const settings::Preferences& preferences,
                                 bool& visible, bool& enabled) {
  visible = entry.isDV;
  enabled = entry.isDV && preferences.clockOffsetHours != 0;
}

TchUpdateType DecalerHoraireExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                      ConversionServices& services) {
  newfichier.clear();
  const int hours = services.preferences.clockOffsetHours;
  const std::filesystem::path output =
      ConversionOutputPath(entry.fullName, TimeShiftSuffix(hours), services.preferences);
  graphs::Dixmark dixmark;
  dixmark.SetEnabled(1);
  dixmark.SetHourOffset(hours);
  dixmark.SetInlaySource(0);
  dixmark.SetApplyShift(0);
  dixmark.SetInPlace(1);
  RunConversion(services, [&] { return std::make_unique<graphs::HeaderRewriteJob>(entry.fullName, output, dixmark); });
  newfichier = output.string();
  return utAdd;
}

}  // namespace korvid::commands
