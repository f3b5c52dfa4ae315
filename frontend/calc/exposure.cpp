#include "exposure.h"

namespace bsf {

void set_default_conditions(ExposureConditions& c, std::int16_t active_form)
{
  c.TubeVoltage = 75.0;
  c.Waveform = 1;
  c.AnodeAngle = 12.0;
  c.InherentFilter = 0.25;
  c.AddedFilterAl = 0.1;
  c.AddedFilterCu = 0.0;
  c.FocusReceptorDistance = 100.0;
  c.FocusSurfaceDistance = 80.0;
  c.ObjectThickness = 20.0;
  c.FieldLong = 43.2;
  c.FieldShort = 35.6;
  c.FieldShape = 1;
  c.ActiveForm = active_form;
  c.PhantomShape = active_form == 1 ? 0 : 1;
}

}  // namespace bsf
