#pragma once
// The three header fixes: the frame rate and the codec code, patched in
// the file itself, and a clock fixed by whole hours, written to a new
// file through the header-rewrite job.
//
// The frame-rate and codec values come from small dialogs. The command
// side keeps their state (it lasts for the run of the program: the first
// use derives the choice from the file, later ones start from the last
// choice) and asks a chooser, which the window implements with a modal
// dialog and tests script, to show it.

#include <optional>
#include <string>
#include <string_view>

#include "commands/command_host.h"
#include "commands/conversion_commands.h"
#include "commands/update_type.h"
#include "media/video_record.h"

namespace korvid::commands {

// The frame-rate dialog: items "25 frames/sec (Pal)", "29.97 frames/sec
// (NTSC)", "personalized", and the edit for a personalised rate.
struct FrameRateChoiceState {
  static constexpr int kPal = 0;
  static constexpr int kNtsc = 1;
  static constexpr int kPersonalized = 2;

  std::optional<int> choice;  // none before the first use
  std::string editText;
  bool editEnabled = false;
  double lastRate = 0;  // the last rate confirmed
};

// The codec dialog: items "dvsd (Microsoft)", "dsvd", "CDVC (Canopus)",
// "personalized", and the edit for a personalised code.
struct CodecChoiceState {
  static constexpr int kDvsd = 0;
  static constexpr int kDsvd = 1;
  static constexpr int kCdvc = 2;
  static constexpr int kPersonalized = 3;

  std::optional<int> choice;
  std::string editText;
  bool editEnabled = false;
  std::string lastCode;  // the last code confirmed
};

// Choosing an item enables the edit exactly for "personalized".
void SelectFrameRateItem(FrameRateChoiceState& state, int item);
void SelectCodecItem(CodecChoiceState& state, int item);

// Shows a dialog modally over `state`, which it reads and changes as the
// user does; true for OK, false for Cancel, Escape or closing.
class FrameRateChooser {
 public:
  virtual ~FrameRateChooser() = default;
  virtual bool Choose(FrameRateChoiceState& state) = 0;
};
class CodecChooser {
 public:
  virtual ~CodecChooser() = default;
  virtual bool Choose(CodecChoiceState& state) = 0;
};

struct HeaderFixServices {
  CommandHost& host;
  FrameRateChooser& frameRateChooser;
  CodecChooser& codecChooser;
  FrameRateChoiceState& frameRate;
  CodecChoiceState& codec;
};

// Question texts for a read-only file (cut to 255 bytes); empty otherwise.
std::string CorrigerFpsConfirmation(const media::TAfficherFichier& entry);
std::string CorrigerCodecConfirmation(const media::TAfficherFichier& entry);

// Enabled unless the file is DV type 1; `visible` is left alone.
void CorrigerFpsFileCondition(const media::TAfficherFichier& entry, bool& visible, bool& enabled);

// utModify once the confirmed rate is written; utNone when the dialog was
// cancelled or the personalised text is not a rate above 0. A file that
// cannot be written throws (AviHeaderError, FileError) and keeps its old
// header: the patch is one flushed write.
TchUpdateType CorrigerFpsExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                   HeaderFixServices& services);
// utModify once the code is written; failures throw as for the rate. A
// personalised text keeps its first four characters; a shorter one is
// padded with spaces, as four-character codes are; an empty one, or one
// with characters outside printable ASCII among its first four, is
// refused (utNone).
TchUpdateType CorrigerCodecExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                     HeaderFixServices& services);

// The rate the frame-rate dialog's state stands for; nothing when the
// personalised text is not a number above 0 in the locale's notation.
std::optional<double> ChosenFrameRate(const FrameRateChoiceState& state);
// The code the codec dialog's state stands for, as stored in the file
// (first character in the lowest byte); nothing for a refused text.
std::optional<std::uint32_t> ChosenCodec(const CodecChoiceState& state);

// "_hor+N.avi" or "_hor-N.avi".
std::string TimeShiftSuffix(int hours);
std::string DecalerHoraireConfirmation(const media::TAfficherFichier& entry,
                                       const settings::Preferences& preferences);
void DecalerHoraireGeneralCondition(const graphs::FilterAvailability& availability, bool& visible);
void DecalerHoraireFileCondition(const media::TAfficherFichier& entry, const settings::Preferences& preferences,
                                 bool& visible, bool& enabled);
// utAdd with the new file after a run (an aborted one too); otherwise it
// throws, as RunConversion does.
TchUpdateType DecalerHoraireExecution(const media::TAfficherFichier& entry, std::string& newfichier,
                                      ConversionServices& services);

}  // namespace korvid::commands
