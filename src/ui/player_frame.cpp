#include "ui/player_frame.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QShortcut>
#include <QSlider>
#include <QTextEdit>

#include "graphs/playback_error.h"
#include "graphs/player_steps.h"
#include "resources/product.h"
#include "resources/string_table.h"
#include "ui/ui_text.h"
#include "ui/video_surface.h"

namespace korvid::ui {
namespace {

using resources::Text;

// The frame's layout, in pixels.
constexpr int kFrameWidth = 286;
constexpr int kFrameHeight = 393;
constexpr QRect kPanelRect{2, 2, 282, 150};
constexpr int kVideoTop = 160;
constexpr int kVideoBoxWidth = 240;
constexpr int kVideoBoxHeight = 180;
constexpr int kVideoBoxSpan = 288;  // the width the centred picture is placed in
constexpr int kWideLeft = 24;
constexpr QRect kTrackBarRect{12, 352, 260, 20};
constexpr QRect kTimeStampRect{12, 374, 260, 16};
constexpr QRect kMessageRect{4, kVideoTop - 4, 278, 188};
constexpr int kNameFontPixels = 13;
constexpr int kSmallestNameFont = 10;
constexpr int kSliderRange = 1000;
constexpr int kSliderStep = 100;

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QLabel* Caption(Text text, QWidget* parent) { return new QLabel(UiText(text), parent); }

}  // namespace

TBaseFrame::TBaseFrame(settings::Preferences& prefs, settings::LocaleFormats locale, QWidget* parent)
    : QFrame(parent), prefs_(prefs), locale_(std::move(locale)), overlay_(locale_) {
  BuildWidgets();
  overlay_.Configure(prefs_);
  binding_.SetMuted(prefs_.muteOn);
  connect(&binding_, &PlayerBinding::FrameShown, this, &TBaseFrame::OnFrameShown);
  connect(&binding_, &PlayerBinding::PlayingChanged, this, &TBaseFrame::PlayingChanged);
  connect(&binding_, &PlayerBinding::Failed, this, &TBaseFrame::OnPlaybackFailed);
  ClearPlayer();
}

TBaseFrame::~TBaseFrame() {
  binding_.Close();
  if (fullScreen_) delete vw;  // a top-level window while full screen
}

void TBaseFrame::BuildWidgets() {
  setFixedSize(kFrameWidth, kFrameHeight);
  Panel1 = new QFrame(this);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Sunken);
  Panel1->setGeometry(kPanelRect);
  Panel1->setToolTip(UiText(Text::kPlayerPanelHint));
  auto* grid = new QGridLayout(Panel1);
  grid->setContentsMargins(5, 2, 5, 2);
  grid->setVerticalSpacing(0);
  LabNom = new QLabel(Panel1);
  LabNom->setToolTip(UiText(Text::kPlayerNameHint));
  LabNom->setCursor(Qt::PointingHandCursor);
  LabNom->installEventFilter(this);
  grid->addWidget(LabNom, 0, 0, 1, 3);
  const auto row = [&](int r, Text caption, QLabel*& value) {
    value = new QLabel(Panel1);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(Caption(caption, Panel1), r, 0);
    grid->addWidget(value, r, 1, 1, 2);
  };
  row(1, Text::kPlayerDatecodeCaption, labDatecode);
  row(2, Text::kPlayerTimecodeCaption, LabTimecode);
  row(3, Text::kPlayerCodecCaption, LabCodec);
  row(4, Text::kPlayerImageCaption, LabImage);
  row(5, Text::kPlayerDurationCaption, LabDuree);
  row(6, Text::kPlayerFpsCaption, labFPS);
  row(7, Text::kPlayerAudioCaption, LabAudio1);
  LabAudio2 = new QLabel(Panel1);
  grid->addWidget(LabAudio2, 8, 1, 1, 2);
  labscn = new QLabel(UiText(Text::kPlayerScnFlag), Panel1);
  labscn->setStyleSheet("color: navy; font-weight: bold");
  grid->addWidget(labscn, 6, 2, Qt::AlignRight);
  grid->setColumnStretch(2, 1);

  vw = new VideoSurface(this);
  vw->setToolTip(UiText(Text::kPlayerVideoHint));
  connect(vw, &VideoSurface::Clicked, this, &TBaseFrame::PlaceInlayAt);
  leaveFullScreen_ = new QShortcut(QKeySequence(Qt::Key_Escape), vw);
  leaveFullScreen_->setContext(Qt::WindowShortcut);
  leaveFullScreen_->setEnabled(false);
  connect(leaveFullScreen_, &QShortcut::activated, this, [this] {
    if (fullScreen_) ToggleFullScreen();
  });

  incrustHorz = new QSlider(Qt::Horizontal, this);
  incrustVert = new QSlider(Qt::Vertical, this);
  for (QSlider* slider : {incrustHorz, incrustVert}) {
    slider->setRange(0, kSliderRange);
    slider->setSingleStep(kSliderStep);
    slider->setPageStep(kSliderStep);
    slider->hide();
    connect(slider, &QSlider::valueChanged, this, &TBaseFrame::PlaceInlayFromSliders);
    connect(slider, &QSlider::sliderPressed, this, [this] { binding_.SliderPressed(); });
    connect(slider, &QSlider::sliderReleased, this, [this] { binding_.SliderReleased(prefs_.muteOn); });
  }
  incrustHorz->setToolTip(UiText(Text::kPlayerHorzSliderHint));
  incrustVert->setToolTip(UiText(Text::kPlayerVertSliderHint));
  {
    // Set one by one, each would store the other's old value.
    const QSignalBlocker horz(incrustHorz);
    const QSignalBlocker vert(incrustVert);
    incrustHorz->setValue(prefs_.inlayPositionX);
    incrustVert->setValue(settings::VerticalSliderFromStored(prefs_.inlayPositionY));
  }

  tb = new QSlider(Qt::Horizontal, this);
  tb->setRange(0, kSliderRange);
  tb->setGeometry(kTrackBarRect);
  connect(tb, &QSlider::sliderPressed, this, [this] { binding_.ScrubStarted(); });
  // Moved, the handle has not yet given the track bar its value.
  connect(tb, &QSlider::sliderMoved, this, &TBaseFrame::SeekToTrackBarAt);
  connect(tb, &QSlider::sliderReleased, this, &TBaseFrame::ScrubFinished);
  connect(tb, &QSlider::actionTriggered, this, [this](int action) {
    if (action != QAbstractSlider::SliderMove) QMetaObject::invokeMethod(this, &TBaseFrame::SeekToTrackBar, Qt::QueuedConnection);
  });
  Gauge1 = new QProgressBar(this);
  Gauge1->setGeometry(kTrackBarRect);
  Gauge1->setTextVisible(false);
  Gauge1->setToolTip(UiText(Text::kPlayerGaugeHint));
  Gauge1->hide();
  labTimeStamp = new QLabel(this);
  labTimeStamp->setGeometry(kTimeStampRect);
  labTimeStamp->setAlignment(Qt::AlignCenter);
  labTimeStamp->setToolTip(UiText(Text::kPlayerPositionHint));

  reBaseFrame = new QTextEdit(this);
  reBaseFrame->setReadOnly(true);
  reBaseFrame->setFrameShape(QFrame::NoFrame);
  reBaseFrame->setGeometry(kMessageRect);
  reBaseFrame->hide();
  PlaceVideo({4, 3});
}

bool TBaseFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LabNom && event->type() == QEvent::MouseButtonRelease && entry_) Q_EMIT FileNameClicked();
  return QFrame::eventFilter(watched, event);
}

void TBaseFrame::ShowEntry(const media::TAfficherFichier& entry) {
  entry_ = entry;
  // The name in 13-pixel letters, smaller when it would not fit.
  QFont nameFont = LabNom->font();
  nameFont.setBold(true);
  nameFont.setPixelSize(kNameFontPixels);
  const QString name = FromUtf8(entry.name);
  const int room = kPanelRect.width() - 10;
  const int wide = QFontMetrics(nameFont).horizontalAdvance(name);
  if (wide > room) nameFont.setPixelSize(std::max(kSmallestNameFont, room * kNameFontPixels / wide));
  LabNom->setFont(nameFont);
  // Still too long at the smallest size: the middle of the name gives way.
  LabNom->setText(QFontMetrics(nameFont).elidedText(name, Qt::ElideMiddle, room));

  ShowDatecode(std::nullopt);
  labscn->setVisible(entry.hasSceneFile);
  LabTimecode->setText(FromUtf8(entry.timecodeText));
  std::string codec = entry.codec;
  if (entry.isDV) codec += resources::Str(entry.dvType == 1 ? Text::kPlayerDvType1 : Text::kPlayerDvType2);
  LabCodec->setText(FromUtf8(codec));
  LabImage->setText(FromUtf8(entry.imageText));
  std::string duration = entry.durationText;
  if (!entry.audioDurationText.empty() && entry.audioDurationText != entry.durationText)
    duration += " (" + entry.audioDurationText + ")";
  LabDuree->setText(FromUtf8(duration));
  labFPS->setText(entry.fps > 0 ? QString::number(entry.fps, 'g', 6) : QString());
  LabAudio1->setText(FromUtf8(entry.audioText));
  LabAudio2->setText(FromUtf8(entry.audioFormatText));

  const QLocale locale = QLocale::system();
  setToolTip(FromUtf8(resources::Fill(
      Text::kPlayerFileHint,
      {entry.fullName, locale.toString(static_cast<qulonglong>(entry.Size())).toStdString(),
       settings::FormatDateTime(prefs_.displayDatecodeFormat, entry.modified, locale_)})));

  graphs::DisplayAspect aspect{entry.width, entry.height};
  if (entry.isDV) aspect = entry.wideScreen ? graphs::DisplayAspect{16, 9} : graphs::DisplayAspect{4, 3};
  if (aspect.num > 0 && aspect.den > 0) PlaceVideo(aspect);
  vw->setToolTip(UiText(Text::kPlayerVideoHint));
  SetPlayerVisible(true);
}

void TBaseFrame::PlaceVideo(graphs::DisplayAspect aspect) {
  aspect_ = aspect;
  QRect box;
  if (aspect.num * kVideoBoxHeight > aspect.den * kVideoBoxWidth) {
    const int height = aspect.den * kVideoBoxWidth / aspect.num;
    box = {kWideLeft, kVideoTop + (kVideoBoxHeight - height) / 2, kVideoBoxWidth, height};
  } else {
    const int width = aspect.num * kVideoBoxHeight / aspect.den;
    box = {(kVideoBoxSpan - width) / 2, kVideoTop, width, kVideoBoxHeight};
  }
  if (!fullScreen_) vw->setGeometry(box);
  PlaceSliders();
}

void TBaseFrame::PlaceSliders() {
  if (fullScreen_) return;
  const QRect v = vw->geometry();
  incrustHorz->setGeometry(v.left() - 8, v.bottom() + 1 - 5, v.width() + 16, incrustHorz->sizeHint().height());
  incrustVert->setGeometry(v.right() + 1 - 5, v.top() - 8, incrustVert->sizeHint().width(), v.height() + 16);
  incrustHorz->raise();
  incrustVert->raise();
}

void TBaseFrame::SetPlayerVisible(bool visible) {
  vw->setVisible(visible);
  tb->setVisible(visible);
  labTimeStamp->setVisible(visible);
  incrustHorz->setVisible(visible && inlayReady_ && prefs_.inlaySlidersVisible);
  incrustVert->setVisible(visible && inlayReady_ && prefs_.inlaySlidersVisible);
  reBaseFrame->setVisible(!visible);
}

bool TBaseFrame::OpenInPlayer(const media::TAfficherFichier& entry) {
  // A command may have rewritten the file under the same name: the labels
  // are the record's, whatever the path.
  ShowEntry(entry);
  if (interrupted_) {
    ShowPlayerMessage(PlayerStage::kInterrupted);
    return false;
  }
  try {
    binding_.SetMuted(prefs_.muteOn);
    overlay_.SetFrameRate(entry.fps);
    binding_.Open(entry.fullName);
  } catch (const graphs::PlaybackError& error) {
    ShowPlayerMessage(static_cast<PlayerStage>(error.Stage()));
    return false;
  } catch (const UserError&) {
    ShowPlayerMessage(PlayerStage::kUnreadable);
    return false;
  }
  const graphs::PlaybackSource& source = *binding_.Engine().Source();
  stage_.reset();
  SetPlayerVisible(true);
  vw->setToolTip(UiText(Text::kPlayerVideoHint));
  if (!source.HasVideo()) {
    // The sound plays; the position shows in front of the message.
    stage_ = PlayerStage::kSoundOnly;
    WriteMessage(PlayerStage::kSoundOnly);
    tb->show();
    labTimeStamp->show();
    tb->raise();
    labTimeStamp->raise();
  } else if (source.IsDv() && !media::IsDvCodec(entry.codec)) {
    // Our decoder plays DV whatever the handler code says: the picture
    // shows, and its hint says how to make the file play elsewhere.
    stage_ = PlayerStage::kOddDvCodec;
    const QString path = FromUtf8(resources::Str(Text::kPlayerTheFileSpaced)) + FromUtf8(media::AsciiLower(entry.fullName));
    const QString advice = FromUtf8(resources::Fill(Text::kPlayerOddDvCodec, {entry.codec}));
    vw->setToolTip(path + "\n" + advice);
    Q_EMIT StatusMessage(path + " " + advice);
  }
  return true;
}

void TBaseFrame::ClearPlayer() {
  binding_.Close();
  entry_.reset();
  stage_.reset();
  picture_ = QImage();
  packs_.reset();
  vw->Clear();
  LabNom->setText(UiText(Text::kPlayerNoName));
  for (QLabel* label : {labDatecode, LabTimecode, LabCodec, LabImage, LabDuree, labFPS, LabAudio1, LabAudio2, labTimeStamp})
    label->clear();
  labscn->hide();
  tb->setValue(0);
  setToolTip(QString());
}

void TBaseFrame::ShowPlayerMessage(PlayerStage stage) {
  binding_.Close();
  stage_ = stage;
  WriteMessage(stage);
}

void TBaseFrame::WriteMessage(PlayerStage stage) {
  if (fullScreen_) ToggleFullScreen();
  SetPlayerVisible(false);
  const std::string path = entry_ ? media::AsciiLower(entry_->fullName) : std::string();
  const std::string name = entry_ ? media::AsciiLower(entry_->name) : std::string();
  const std::string codec = entry_ ? entry_->codec : std::string();
  QStringList lines{QString(), QString(), UiText(Text::kPlayerVideoNotAvailable), QString()};
  const auto add = [&lines](const std::string& line) { lines << FromUtf8(line); };
  const auto say = [&lines](Text text) { lines << UiText(text); };
  switch (stage) {
    case PlayerStage::kSoundOnly:
      say(Text::kPlayerTheFile), lines << QString(), add(path), say(Text::kPlayerOnlyAudio);
      break;
    case PlayerStage::kUnreadable:
      say(Text::kPlayerTheFile), lines << QString(), add(path), say(Text::kPlayerNotFound);
      break;
    case PlayerStage::kNotAvi:
      say(Text::kPlayerTheFileSpaced), lines << QString(), add(name), say(Text::kPlayerNotAvi);
      break;
    case PlayerStage::kOddDvCodec:
      say(Text::kPlayerTheFileSpaced), add(path), add(resources::Fill(Text::kPlayerOddDvCodec, {codec}));
      break;
    case PlayerStage::kNoDecoder:
      say(Text::kPlayerNoDecoder), lines << QString(), add(std::string(resources::Str(Text::kPlayerCodecPrefix)) + codec);
      break;
    case PlayerStage::kInterrupted:
      say(Text::kPlayerInterrupted), say(Text::kPlayerForCommand), lines << QString(), add(name);
      break;
  }
  reBaseFrame->setPlainText(lines.join('\n'));
  reBaseFrame->selectAll();
  reBaseFrame->setAlignment(Qt::AlignCenter);
  reBaseFrame->moveCursor(QTextCursor::Start);
}

void TBaseFrame::ShowWelcome() {
  ClearPlayer();
  SetPlayerVisible(false);
  reBaseFrame->clear();
  const QString line = FromUtf8(resources::Fill(
      Text::kPlayerWelcome, {resources::kProductName, resources::kProductVersion, resources::Str(Text::kPlayerBy),
                             resources::kMakerName}));
  reBaseFrame->setHtml("<br><br><br><p align=center style='font-size:12pt; font-weight:bold'>" + line.toHtmlEscaped() + "</p>");
}

void TBaseFrame::ReleasePlayerFile() {
  interrupted_ = true;
  ShowPlayerMessage(PlayerStage::kInterrupted);
}

void TBaseFrame::ResumePlayer() { interrupted_ = false; }

void TBaseFrame::ShowGauge(bool visible) {
  Gauge1->setValue(0);
  Gauge1->setVisible(visible);
  tb->setVisible(!visible && vw->isVisibleTo(this));
  Gauge1->raise();
}

void TBaseFrame::SetGauge(int percent) { Gauge1->setValue(std::clamp(percent, 0, 100)); }

void TBaseFrame::OnFrameShown(const graphs::PlaybackFrame& frame, bool moved) {
  overlay_.Follow(frame.number, frame.packs, moved);
  if (frame.packs) {
    ShowDatecode(frame.packs);
    LabTimecode->setText(FromUtf8(graphs::TimecodeLabelText(frame.packs->timecode)));
  }
  const graphs::PlaybackSource* source = binding_.Engine().Source();
  const bool video = source != nullptr && source->HasVideo();
  labTimeStamp->setText(FromUtf8(video ? graphs::FramePositionText(frame.number, PositionFps())
                                       : graphs::SoundPositionText(frame.time_ms * 10'000)));
  if (source != nullptr && source->FrameCount() > 0 && !tb->isSliderDown()) {
    const QSignalBlocker block(tb);
    tb->setValue(static_cast<int>(frame.number * kSliderRange / source->FrameCount()));
  }
  if (frame.picture.isNull()) return;  // a damaged frame: the one before stays
  picture_ = frame.picture;
  packs_ = frame.packs;
  if (!(frame.aspect == aspect_)) PlaceVideo(frame.aspect);
  Redraw();
}

void TBaseFrame::Redraw() {
  if (picture_.isNull()) return;
  vw->SetPicture(inlayReady_ ? overlay_.Compose(picture_, packs_) : picture_, aspect_);
}

void TBaseFrame::ShowDatecode(const std::optional<graphs::FramePacks>& packs) {
  if (packs)
    labDatecode->setText(FromUtf8(graphs::DatecodeLabelText(packs->datecode, prefs_.displayDatecodeFormat, locale_)));
  else if (entry_)
    labDatecode->setText(FromUtf8(entry_->datecode
                                      ? settings::FormatDateTime(prefs_.displayDatecodeFormat, *entry_->datecode, locale_)
                                      : entry_->datecodeText));
}

void TBaseFrame::OverlaySettingsChanged() {
  overlay_.Configure(prefs_);
  ShowDatecode(packs_);
  if (!IsPlaying()) Redraw();
}

void TBaseFrame::SetInlayReady(bool ready) {
  inlayReady_ = ready;
  if (!ready) {
    incrustHorz->hide();
    incrustVert->hide();
  }
  Redraw();
}

void TBaseFrame::OnPlaybackFailed(int stage) {
  // Whatever happened to the file, the frame says so in place of the picture.
  ShowPlayerMessage(static_cast<PlayerStage>(stage));
  Q_EMIT PlayingChanged(false);
}

double TBaseFrame::PositionFps() const {
  if (entry_ && entry_->fps > 0) return entry_->fps;
  const graphs::PlaybackSource* source = binding_.Engine().Source();
  const graphs::FrameRate rate = source != nullptr ? source->Rate() : graphs::FrameRate{};
  return static_cast<double>(rate.num) / static_cast<double>(rate.den);
}

}  // namespace korvid::ui
