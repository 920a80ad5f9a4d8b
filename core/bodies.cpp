#include "bodies.h"

namespace tarnwick {

std::string_view BodyName(int index) {
  std::string_view name = BodyCatalogue.at(BodySlot(index)).caption;
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return name;
}

}  // namespace tarnwick
