// The module's exported functions: the glue's only way into the engine. Text
// and bytes come in through buffers from st_alloc; answers longer than a number
// go to one output buffer read through st_out_ptr and st_out_len.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "core/formula.h"
#include "view/controller.h"
#include "view/display_list.h"
#include "view/painter.h"

#define STILARO_EXPORT(name) extern "C" __attribute__((export_name(name)))

namespace {

using stilaro::view::Controller;

Controller controller;
stilaro::view::DisplayList frame;
std::vector<std::uint8_t> output;

void answer(std::string_view text) { output.assign(text.begin(), text.end()); }

void answer_floats(std::initializer_list<float> values) {
  output.resize(values.size() * sizeof(float));
  std::memcpy(output.data(), values.begin(), output.size());
}

std::string_view text_at(const char* ptr, std::uint32_t len) { return {ptr, len}; }

// The glue hands the user's wall clock over as UTC, so this is the user's day.
double today() {
  const std::time_t now = std::time(nullptr);
  std::tm day{};
  gmtime_r(&now, &day);
  return stilaro::date_serial(day.tm_year + 1900, day.tm_mon + 1, day.tm_mday);
}

}  // namespace

STILARO_EXPORT("st_alloc") void* st_alloc(std::uint32_t size) { return std::malloc(size ? size : 1); }
STILARO_EXPORT("st_free") void st_free(void* p) { std::free(p); }
STILARO_EXPORT("st_out_ptr") const std::uint8_t* st_out_ptr() { return output.data(); }
STILARO_EXPORT("st_out_len") std::uint32_t st_out_len() { return static_cast<std::uint32_t>(output.size()); }

// 0 when the workbook opened; otherwise 1 with the reason in the output buffer.
STILARO_EXPORT("st_open") int st_open(const std::uint8_t* bytes, std::uint32_t len) {
  try {
    const std::string error = controller.open(std::span<const std::uint8_t>(bytes, len), today());
    if (error.empty()) return 0;
    answer(error);
  } catch (const std::exception& e) {
    answer(std::string("la scheda non si apre: ") + e.what());
  }
  return 1;
}

STILARO_EXPORT("st_close") void st_close() { controller.close(); }

STILARO_EXPORT("st_save") int st_save() {
  try {
    output = controller.save();
    return 0;
  } catch (const std::exception& e) {
    answer(std::string("la scheda non si scrive: ") + e.what());
    return 1;
  }
}

STILARO_EXPORT("st_revision") double st_revision() { return static_cast<double>(controller.revision()); }
STILARO_EXPORT("st_editing") int st_editing() { return controller.edit_mode() != stilaro::view::EditMode::none; }
STILARO_EXPORT("st_editing_changed") int st_editing_changed() { return controller.edit_changed(); }

// The text for the hidden field; answers where its caret goes (UTF-16 units).
STILARO_EXPORT("st_edit_text") std::int32_t st_edit_text() {
  answer(controller.edit_text());
  return controller.edit_caret_utf16();
}

STILARO_EXPORT("st_input") std::uint32_t st_input(const char* ptr, std::uint32_t len, std::int32_t, std::int32_t caret) {
  return controller.input(text_at(ptr, len), caret);
}

STILARO_EXPORT("st_caret") std::uint32_t st_caret(std::int32_t, std::int32_t caret) { return controller.caret(caret); }

STILARO_EXPORT("st_key") std::uint32_t st_key(std::int32_t code, std::int32_t mods) {
  return controller.key(static_cast<stilaro::view::Key>(code), mods);
}

STILARO_EXPORT("st_pointer")
std::uint32_t st_pointer(std::int32_t kind, double x, double y, std::int32_t, std::int32_t mods, std::int32_t clicks) {
  return controller.pointer(static_cast<stilaro::view::PointerKind>(kind), x, y, mods, clicks);
}

STILARO_EXPORT("st_cursor") int st_cursor() { return static_cast<int>(controller.cursor()); }
STILARO_EXPORT("st_scroll") std::uint32_t st_scroll(double dx, double dy) { return controller.scroll(dx, dy); }
STILARO_EXPORT("st_zoom") std::uint32_t st_zoom(double f, double x, double y) { return controller.zoom(f, x, y); }
STILARO_EXPORT("st_resize") std::uint32_t st_resize(double w, double h, double) { return controller.resize(w, h); }
STILARO_EXPORT("st_commit") std::uint32_t st_commit() { return controller.commit(); }
STILARO_EXPORT("st_cancel_edit") void st_cancel_edit() { controller.cancel_edit(); }

STILARO_EXPORT("st_goto") int st_goto(const char* ptr, std::uint32_t len) {
  return controller.go_to(text_at(ptr, len)) ? 0 : 1;
}

STILARO_EXPORT("st_copy") std::uint32_t st_copy() {
  answer(controller.copy());
  return 0;
}

STILARO_EXPORT("st_cut") std::uint32_t st_cut() {
  std::string copied;
  const std::uint32_t flags = controller.cut(copied);
  answer(copied);
  return flags;
}

STILARO_EXPORT("st_paste") std::uint32_t st_paste(const char* ptr, std::uint32_t len) {
  return controller.paste(text_at(ptr, len));
}

STILARO_EXPORT("st_paint") void st_paint() { stilaro::view::paint(controller, frame); }
STILARO_EXPORT("st_list_words") const std::uint32_t* st_list_words() { return frame.words().data(); }
STILARO_EXPORT("st_list_count") std::uint32_t st_list_count() { return static_cast<std::uint32_t>(frame.words().size()); }
STILARO_EXPORT("st_list_strings") const char* st_list_strings() { return frame.strings().data(); }

STILARO_EXPORT("st_field_box") void st_field_box() {
  const stilaro::view::Rect r = controller.field_box();
  answer_floats({static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.w), static_cast<float>(r.h),
                 static_cast<float>(controller.field_font_px())});
}
