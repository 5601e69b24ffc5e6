// Arbitrary chains through the viewer's two callbacks, in the classic or the
// full drawing mode (the first byte), as the reader would deliver them.
#include <cstring>
#include <string>

#include "../common/fuzz_input.h"
#include "conversion/conversion_state.h"
#include "conversion/entity_callbacks.h"
#include "fuzz_targets.h"
#include "render/scene_functions.h"
#include "resbuf.h"
#include "state/drawing_mode.h"

namespace {

// Solids are left out: each would start the external converter.
const char *const type_names[] = {"LINE",   "POINT",  "CIRCLE", "ARC",    "3DFACE", "POLYLINE", "VERTEX",
                                  "SEQEND", "LWPOLYLINE", "INSERT", "ATTDEF", "ATTRIB", "TEXT", "MTEXT",
                                  "ELLIPSE", "SOLID", "TRACE",  "HATCH",  "SPLINE", "BLOCK", "ENDBLK",
                                  "LAYER",  "LTYPE",  "STYLE",  "DIMENSION", "LEADER", "WIDGET"};
const int common_codes[] = {1,  2,  3,  6,  7,  8,  10, 11, 12, 13, 38, 39, 40, 41, 42, 43, 50, 51,
                            62, 66, 67, 70, 71, 72, 73, 74, 75, 76, 90, 210, 420, 1000, 1010, 1040, 1070};

// One record: a code (common or any 16-bit one) and a value of its kind.
resbuf *next_record(fuzz_input &in)
{
    const unsigned choice = in.byte();
    const int code = choice < 200 ? common_codes[choice % (sizeof common_codes / sizeof *common_codes)]
                                  : static_cast<std::int16_t>(in.u16());
    resbuf *rb = rb_new(code);
    switch (rb_basic_kind(code)) {
    case RB_STRING: {
        const std::size_t n = in.byte() % 64;
        std::string text;
        for (std::size_t i = 0; i < n; ++i)
            text += static_cast<char>(in.byte() | 1); // no NUL inside
        rb->value.string = strdup(text.c_str());
        break;
    }
    case RB_REAL:
    case RB_POINT2D:
    case RB_POINT3D: {
        // Any bit pattern: NaN, infinities, 1e308.
        for (double &d : rb->value.point) {
            std::uint64_t bits = 0;
            for (int i = 0; i < 8; ++i)
                bits |= static_cast<std::uint64_t>(in.byte()) << (8 * i);
            std::memcpy(&d, &bits, sizeof d);
        }
        break;
    }
    case RB_SHORT:
        rb->value.int16 = static_cast<std::int16_t>(in.u16());
        break;
    case RB_LONG:
        rb->value.int32 = static_cast<std::int32_t>(in.u16() | (in.u16() << 16));
        break;
    default:
        break; // other kinds keep a zero value
    }
    return rb;
}

// A chain: the type name, then records until a zero byte or the input ends.
resbuf *next_chain(fuzz_input &in)
{
    const unsigned type = in.pick(sizeof type_names / sizeof *type_names);
    resbuf *head = rb_new(0);
    head->value.string = strdup(type_names[type]);
    resbuf *tail = head;
    for (int n = 0; n < 64 && !in.empty(); ++n) {
        if (in.byte() == 0)
            break;
        tail->next = next_record(in);
        tail = tail->next;
    }
    return head;
}

} // namespace

int callbacks_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    fuzz_input in(data, size);
    drawing_mode = in.pick(2) == 0 ? drawing_mode_classic : drawing_mode_full;
    reset_conversion_state();
    current_scene = new cl_opengl_image;
    entity_callback(nullptr); // a block starts
    while (!in.empty()) {
        resbuf *chain = next_chain(in);
        const std::string type = chain->value.string;
        if (type == "LAYER" || type == "LTYPE" || type == "STYLE")
            table_callback(chain);
        else
            entity_callback(chain);
        rb_release(chain);
    }
    delete current_scene;
    current_scene = nullptr;
    drawing_mode = drawing_mode_classic;
    return 0;
}
