// Form4, the menu between the two ways of calculation.
#pragma once

#include "form_builder.h"

namespace bsf::ui {

class Shell;

class Form4 : public Form {
 public:
  explicit Form4(Shell& shell);

  void Command1_Click();  // the table estimate, planar entrance surface
  void Command2_Click();  // the Monte Carlo calculation, curved entrance surface
  void Command3_Click();  // the note on the conventional backscatter factors
  void Command4_Click();  // "END"

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Shell& shell_;
};

}  // namespace bsf::ui
