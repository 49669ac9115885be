#include "platform/ScreenProfile.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vexilo {
namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};

// Monitor profiles are kilobytes; one past this is not a profile to trust.
constexpr std::uint32_t kLargestProfileWords = (4 << 20) / 4;

}  // namespace

std::string ReadScreenProfile() {
  const auto* x11 =
      qGuiApp == nullptr ? nullptr : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 == nullptr ? nullptr : x11->connection();
  if (connection == nullptr) return {};
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  if (screens.rem == 0) return {};
  constexpr char kName[] = "_ICC_PROFILE";
  const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> atom(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 1, sizeof kName - 1, kName), nullptr));
  if (!atom || atom->atom == XCB_ATOM_NONE) return {};
  const std::unique_ptr<xcb_get_property_reply_t, FreeReply> property(
      xcb_get_property_reply(connection,
                             xcb_get_property(connection, 0, screens.data->root, atom->atom,
                                              XCB_GET_PROPERTY_TYPE_ANY, 0, kLargestProfileWords),
                             nullptr));
  if (!property || property->format != 8 || property->bytes_after > 0) return {};
  const int length = xcb_get_property_value_length(property.get());
  if (length <= 0) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(property.get())),
                     static_cast<std::size_t>(length));
}

}  // namespace vexilo
