// The logo window (Form4, "Logo yükle"): the preview Image1 in its frame, "Yükle", "Terazi'ye
// gönder" with its progress bar, brightness and contrast track bars and "50% Threshold". Every
// control re-runs the conversion at once from the gray image kept since the last load. Created
// once at program start and only shown and hidden afterwards, so the picture and the controls
// keep their state for the whole run.
#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QWidget>

#include "link/scale_session.h"
#include "logo/logo_picture.h"
#include "ui/file_chooser.h"
#include "ui/services.h"

namespace keldaro::logo {

// OpenDialog1: BMP first, as the default, then the other pictures Qt reads; the current folder.
inline const ui::FileDialogOptions kPictureFileDialog{
    "BMP|*.BMP|PNG|*.PNG|JPEG|*.JPG;*.JPEG|GIF|*.GIF", "", "."};

class LogoWindow : public QWidget {
  Q_OBJECT
 public:
  LogoWindow(ScaleSession& session, const ui::Services& services, QWidget* parent = nullptr);

  // "Yükle": with the button as sender, choose a file, load it and convert; with the window
  // itself as sender, only re-run the conversion (what the track bars and the check box do).
  void Button1Click(QObject* sender);
  void Button2Click();  // "Terazi'ye gönder": command 36, the header and every row
  void TrackBar1Change() { Button1Click(this); }
  void TrackBar2Change() { Button1Click(this); }
  void CheckBox1Click() { Button1Click(this); }

  // The controls' positions as the conversion takes them.
  Adjustment CurrentAdjustment() const;
  const LogoPicture& picture() const { return picture_; }

  QFrame* Bevel1;
  QWidget* Image1;  // the preview, one screen pixel per dot
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* StopButton;     // in Button2's place while a send runs
  QProgressBar* ProgressBar1;  // the transfer's rows; hidden until a transfer runs
  QSlider* TrackBar1;          // brightness
  QSlider* TrackBar2;          // contrast
  QCheckBox* CheckBox1;        // "50% Threshold": a plain threshold instead of dithering

 private:
  void BuildControls();

  ScaleSession& session_;
  ui::Services services_;
  LogoPicture picture_;
};

}  // namespace keldaro::logo
