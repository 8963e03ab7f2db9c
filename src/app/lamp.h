// Shape1: the filled circle that shows the connection, dark green when disconnected and light
// green while connected.
#pragma once

#include <QColor>
#include <QWidget>

namespace keldaro::app {

inline const QColor kLampOff(0, 128, 0);
inline const QColor kLampOn(0, 255, 0);

class Lamp : public QWidget {
  Q_OBJECT
 public:
  explicit Lamp(QWidget* parent = nullptr);
  void SetColor(const QColor& color);
  const QColor& color() const { return color_; }
  QSize sizeHint() const override { return {25, 25}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_ = kLampOff;
};

}  // namespace keldaro::app
