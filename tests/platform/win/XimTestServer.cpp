// A minimal XIM server for the X11 tests, named "tvltest" (XMODIFIERS=@im=tvltest):
//   win_test_xim_server DISPLAY KEYCODE TEXT [root]
// Pressing the key with KEYCODE commits TEXT (UTF-8) to the client; every other
// key goes back to the client unchanged. It offers the over-the-spot style
// (pre-edit at a spot the client gives) and the root style, or only the root
// style when "root" is given. After every request about an input context it
// publishes on the root window what the client asked for: TVL_XIM_STYLE (the
// input style) and TVL_XIM_SPOT (x, y of the spot location, when one was set).
#include <xcb-imdkit/encoding.h>
#include <xcb-imdkit/imdkit.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t kPreeditPosition = 0x0004, kPreeditNothing = 0x0008, kPreeditNone = 0x0010,
                        kStatusNothing = 0x0400, kStatusNone = 0x0800;

struct Server {
  xcb_connection_t* conn = nullptr;
  xcb_window_t root = 0;
  std::uint8_t commitKey = 0;
  std::string text;
};

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
  xcb_atom_t a = r ? r->atom : 0;
  std::free(r);
  return a;
}

void Publish(Server& s, xcb_im_input_context_t* ic) {
  std::uint32_t style = xcb_im_input_context_get_input_style(ic);
  xcb_change_property(s.conn, XCB_PROP_MODE_REPLACE, s.root, Atom(s.conn, "TVL_XIM_STYLE"), XCB_ATOM_CARDINAL, 32, 1,
                      &style);
  if (xcb_im_input_context_get_preedit_attr_mask(ic) & XCB_XIM_XNSpotLocation_MASK) {
    const xcb_im_preedit_attr_t* a = xcb_im_input_context_get_preedit_attr(ic);
    std::int32_t spot[2] = {a->spot_location.x, a->spot_location.y};
    xcb_change_property(s.conn, XCB_PROP_MODE_REPLACE, s.root, Atom(s.conn, "TVL_XIM_SPOT"), XCB_ATOM_INTEGER, 32, 2,
                        spot);
  }
  xcb_flush(s.conn);
}

void Callback(xcb_im_t* im, xcb_im_client_t*, xcb_im_input_context_t* ic, const xcb_im_packet_header_fr_t* hdr, void*,
              void* arg, void* userData) {
  Server& s = *static_cast<Server*>(userData);
  if (!ic) return;
  switch (hdr->major_opcode) {
    case XCB_XIM_CREATE_IC:
    case XCB_XIM_SET_IC_VALUES:
      Publish(s, ic);
      break;
    case XCB_XIM_FORWARD_EVENT: {
      auto* key = static_cast<xcb_key_press_event_t*>(arg);
      if ((key->response_type & 0x7F) == XCB_KEY_PRESS && key->detail == s.commitKey) {
        std::size_t n = 0;
        char* ct = xcb_utf8_to_compound_text(s.text.data(), s.text.size(), &n);
        if (ct) {
          xcb_im_commit_string(im, ic, XCB_XIM_LOOKUP_CHARS, ct, std::uint32_t(n), 0);
          std::free(ct);
        }
      } else if ((key->response_type & 0x7F) != XCB_KEY_RELEASE || key->detail != s.commitKey) {
        xcb_im_forward_event(im, ic, key);
      }
      break;
    }
    default: break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  Server s;
  int screenNo = 0;
  s.conn = xcb_connect(argv[1], &screenNo);
  if (!s.conn || xcb_connection_has_error(s.conn)) return 1;
  s.commitKey = std::uint8_t(std::atoi(argv[2]));
  s.text = argv[3];
  bool rootOnly = argc > 4 && std::string(argv[4]) == "root";
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(s.conn));
  for (int i = 0; i < screenNo; ++i) xcb_screen_next(&it);
  s.root = it.data->root;
  xcb_window_t w = xcb_generate_id(s.conn);
  xcb_create_window(s.conn, XCB_COPY_FROM_PARENT, w, s.root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, 0, nullptr);

  xcb_compound_text_init();
  std::uint32_t styles[] = {kPreeditPosition | kStatusNothing, kPreeditPosition | kStatusNone,
                            kPreeditNothing | kStatusNothing, kPreeditNothing | kStatusNone,
                            kPreeditNone | kStatusNone};
  xcb_im_styles_t styleList{rootOnly ? 3u : 5u, rootOnly ? styles + 2 : styles};
  char compound[] = "COMPOUND_TEXT";
  xcb_im_encoding_t encodings[] = {compound};
  xcb_im_encodings_t encodingList{1, encodings};
  xcb_im_trigger_keys_t none{0, nullptr};
  xcb_im_t* im = xcb_im_create(s.conn, screenNo, w, "tvltest", XCB_IM_ALL_LOCALES, &styleList, &none, &none,
                               &encodingList, 0, Callback, &s);
  if (!im || !xcb_im_open_im(im)) return 1;
  xcb_flush(s.conn);
  while (xcb_generic_event_t* e = xcb_wait_for_event(s.conn)) {
    xcb_im_filter_event(im, e);
    std::free(e);
    xcb_flush(s.conn);
  }
  xcb_im_close_im(im);
  xcb_im_destroy(im);
  xcb_disconnect(s.conn);
  return 0;
}
