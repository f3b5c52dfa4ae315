// The console texts in which the three engine builds differ: the echo of the
// phantom's dimensions, the width of the thickness line and the labels of
// the three results. Users compare these lines by eye and their scripts cut
// the numbers out of them by column, so every byte stays as it is (the
// golden console transcripts of the tests hold them).
#pragma once

#include <array>
#include <string_view>

#include "data_files.h"

namespace bsf {

class Racetrack;
class EllipticCylinder;
class Cylinder;

// One line of the condition echo: label, the value's field, its width and
// decimals; " [cm]" follows.
struct EchoLine {
  std::string_view label;
  float RunConditions::*field;
  int width;
  int decimals;
};

struct ResultLabels {
  std::string_view air;
  std::string_view soft_tissue;
  std::string_view skin;
};

// The texts of the build of a phantom shape.
template <class Shape>
struct ConsoleTexts;

template <>
struct ConsoleTexts<Racetrack> {
  static constexpr std::array<EchoLine, 3> kGeometryEcho{{
      {" a = ", &RunConditions::RacetrackA, 5, 1},
      {" b = ", &RunConditions::RacetrackB, 5, 1},
      {" Length = ", &RunConditions::RacetrackLength, 5, 1},
  }};
  static constexpr int kThicknessWidth = 5;
  static constexpr int kThicknessDecimals = 1;
  static constexpr ResultLabels kResultLabels{
      " Back Scatter Factor by Air dose   = ",
      // "Soft-tisue" is kept exactly as users' scripts and eyes know it.
      " Back Scatter Factor by Soft-tisue dose = ",
      " Back Scatter Factor by Skin dose = ",
  };
};

template <>
struct ConsoleTexts<EllipticCylinder> {
  static constexpr std::array<EchoLine, 2> kGeometryEcho{{
      {" Radius : a = ", &RunConditions::EllipseHorizontal, 6, 0},
      {" Radius : b = ", &RunConditions::EllipseVertical, 6, 0},
  }};
  static constexpr int kThicknessWidth = 6;
  static constexpr int kThicknessDecimals = 0;
  static constexpr ResultLabels kResultLabels{
      " Back Scatter Factor by Air dose=   ",
      " Back Scatter Factor by Soft-tissue dose= ",
      " Back Scatter Factor by Skin dose= ",
  };
};

template <>
struct ConsoleTexts<Cylinder> {
  static constexpr std::array<EchoLine, 1> kGeometryEcho{{
      {" Curvature radius = ", &RunConditions::CylinderRadius, 6, 1},
  }};
  static constexpr int kThicknessWidth = 6;
  static constexpr int kThicknessDecimals = 1;
  // The racetrack's labels, "Soft-tisue" included.
  static constexpr ResultLabels kResultLabels = ConsoleTexts<Racetrack>::kResultLabels;
};

}  // namespace bsf
