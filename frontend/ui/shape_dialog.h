// Form13, the phantom shape dialog: the shape and size of the surface the
// beam enters and the number of photon histories; a to-scale sketch on
// request; "OK" writes the engine's run conditions, joken.txt.
#pragma once

#include <QCoreApplication>

#include <vector>

#include "exposure.h"
#include "form_builder.h"
#include "sketch.h"

namespace bsf::ui {

class Shell;

class Form5;

class Form13 : public Form {
  Q_DECLARE_TR_FUNCTIONS(Form13)

 public:
  explicit Form13(Shell& shell);

  // Every opening from the Monte Carlo form: that form shows the
  // half-value layer, the cylinder is chosen, 50000000 histories, the
  // sketch cleared. The size boxes keep what the user typed before.
  void prepare_opening();

  // The shape the option buttons show. It becomes the run's phantom only at OK: a Cancel or a close
  // leaves the last confirmed one (and its joken.txt) in force.
  Phantom chosen_shape() const;

  void Command6_Click();  // "Shape Check "
  void Command1_Click();  // "OK"
  void Command2_Click();  // "Cancel"

  // The sketch now shown (empty when cleared).
  const std::vector<SketchItem>& sketch() const { return sketch_; }

 private:
  // The dialog's values and the Monte Carlo form's conditions that go into
  // joken.txt, read and checked; false after a warning naming the field.
  bool read_values(Form5& form5, ExposureConditions& out);

  Shell& shell_;
  std::vector<SketchItem> sketch_;
};

// Paints a sketch into `area`, which stands for the user coordinates from
// (-400, 200) at the top left to (400, -600) at the bottom right.
void paint_sketch(QPainter& p, const QRect& area, const std::vector<SketchItem>& items);

}  // namespace bsf::ui
