// The two explanation pages on backscatter factors: why the factors read
// from the published graphs are not good enough (Form2), and why the
// program computes air-kerma, soft-tissue and skin-dose factors (Form3).
#pragma once

#include <QCoreApplication>

#include "form_builder.h"

namespace bsf::ui {

class Shell;

// First page: the three problems of the conventional way of obtaining a
// backscatter factor, with the two graphs that show the first two.
class Form2 : public Form {
  Q_DECLARE_TR_FUNCTIONS(Form2)

 public:
  explicit Form2(Shell& shell);

  void Command1_Click();  // 続き: on to the second page
  void Command2_Click();  // Close

 private:
  Shell& shell_;
};

// Second page: the third problem in full, with the definitions of the water
// and the air-kerma backscatter factors.
class Form3 : public Form {
  Q_DECLARE_TR_FUNCTIONS(Form3)

 public:
  explicit Form3(Shell& shell);

  void Command2_Click();  // Close

 private:
  Shell& shell_;
};

}  // namespace bsf::ui
