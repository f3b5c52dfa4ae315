// Form13, the phantom shape dialog: the shape and size of the surface the
// beam enters and the number of photon histories; a to-scale sketch on
// request; "OK" writes the engine's run conditions, joken.txt.
#pragma once

#include <vector>

#include "form_builder.h"
#include "sketch.h"

namespace bsf::ui {

class Shell;

class Form13 : public Form {
 public:
  explicit Form13(Shell& shell);

  // Every opening from the Monte Carlo form: that form shows the
  // half-value layer, the cylinder is chosen, 50000000 histories, the
  // sketch cleared. The size boxes keep what the user typed before.
  void prepare_opening();

  void Option_Click(int phantom_shape);
  void Command6_Click();  // "Shape Check "
  void Command1_Click();  // "OK"
  void Command2_Click();  // "Cancel"

  // The sketch now shown (empty when cleared).
  const std::vector<SketchItem>& sketch() const { return sketch_; }

 private:
  Shell& shell_;
  std::vector<SketchItem> sketch_;
};

// Paints a sketch into `area`, which stands for the user coordinates from
// (-400, 200) at the top left to (400, -600) at the bottom right.
void paint_sketch(QPainter& p, const QRect& area, const std::vector<SketchItem>& items);

}  // namespace bsf::ui
