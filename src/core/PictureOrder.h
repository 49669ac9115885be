#pragma once
// The orders the picture grid can list a folder in (View > Sort By), and their names in the
// settings store. By name is the grid's own order and the default.

#include <string>
#include <string_view>

namespace vexilo {

enum class PictureOrder { Name, Modified, Size, Dimensions, Kind };

struct GridOrder {
  PictureOrder By = PictureOrder::Name;
  bool Reversed = false;

  bool operator==(const GridOrder&) const = default;
};

// "name", "modified", "size", "dimensions", "kind".
inline const char* StoredOrderName(PictureOrder order) {
  switch (order) {
    case PictureOrder::Modified:
      return "modified";
    case PictureOrder::Size:
      return "size";
    case PictureOrder::Dimensions:
      return "dimensions";
    case PictureOrder::Kind:
      return "kind";
    case PictureOrder::Name:
      break;
  }
  return "name";
}

// Any other text is the default order.
inline PictureOrder OrderFromStoredName(std::string_view name) {
  for (PictureOrder order :
       {PictureOrder::Modified, PictureOrder::Size, PictureOrder::Dimensions, PictureOrder::Kind}) {
    if (name == StoredOrderName(order)) return order;
  }
  return PictureOrder::Name;
}

}  // namespace vexilo
