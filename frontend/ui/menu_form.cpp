#include "menu_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "conditions_forms.h"
#include "illustrations.h"
#include "info_pages.h"
#include "picture_box.h"
#include "shell.h"

namespace bsf::ui {

namespace {

const ControlSpec kControls[] = {
    // name       kind           left  top   width height caption
    {"Label1", Kind::Label, 2400, 360, 6960, 660, "Orbisan", nullptr, nullptr, Face::Meiryo, 24},
    {"Label2", Kind::Label, 2040, 1080, 8055, 555, "Orbisan", nullptr, nullptr, Face::Times, 14},
    {"Command1", Kind::Button, 2160, 2040, 7815, 855, QT_TRANSLATE_NOOP("Form4", "微分後方散乱係数を用いた計算（入射表面：平面）")},
    {"Command2", Kind::Button, 2160, 3120, 7815, 735, QT_TRANSLATE_NOOP("Form4", "モンテカルロ法による計算（入射表面：非平面）")},
    {"Command3", Kind::Button, 2160, 4080, 7815, 735, QT_TRANSLATE_NOOP("Form4", "備 考 ： 従来の後方散乱係数の取得法の問題点")},
    {"Command4", Kind::Button, 8160, 5160, 1815, 735, "END"},
    {"Picture1", Kind::Picture, 5760, 5520, 480, 480, "", nullptr, QT_TRANSLATE_NOOP("Form4", "   さわるな   ")},
};

}  // namespace

Form4::Form4(Shell& shell) : Form(QString::fromUtf8("Orbisan"), 12120, 6405, kControls, "Form4"), shell_(shell)
{
  label("Label1")->setAlignment(Qt::AlignCenter);
  label("Label2")->setAlignment(Qt::AlignCenter);
  picture("Picture1")->set_drawing(draw_menu_icon);
  connect(button("Command1"), &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(button("Command2"), &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(button("Command3"), &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(button("Command4"), &QPushButton::clicked, this, [this] { Command4_Click(); });
}

void Form4::Command1_Click()
{
  shell_.show_form1();
  hide();
}

void Form4::Command2_Click()
{
  shell_.show_form5();
  hide();
}

void Form4::Command3_Click() { shell_.show_form2(); }

void Form4::Command4_Click() { shell_.end_program(); }

void Form4::closeEvent(QCloseEvent* event)
{
  // With the menu gone no window would be left to end the program from.
  event->accept();
  shell_.end_program();
}

}  // namespace bsf::ui
