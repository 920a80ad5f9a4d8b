#include "bodies.h"

namespace tarnwick {

std::string_view PointCaption(int index) {
  if (IsBodyIndex(index)) return BodyCatalogue[BodySlot(index)].caption;
  if (IsNatalAngle(index)) return kAngleCaptions[AngleSlot(index)];
  return "????????";
}

std::string_view BodyName(int index) {
  std::string_view name = IsNatalAngle(index) ? kAngleCaptions[AngleSlot(index)]
                                              : BodyCatalogue.at(BodySlot(index)).caption;
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return name;
}

}  // namespace tarnwick
