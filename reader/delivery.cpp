#include "delivery.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "definition_limits.h"
#include "entity_decoder.h"
#include "file_reads.h"
#include "library.h"
#include "messages.h"
#include "requests.h"
#include "resbuf.h"
#include "settings.h"
#include "skelvane/paths.h"
#include "tvl_format/entity_types.h"
#include "tvl_format/limits.h"
#include "tvl_format/messages.h"
#include "tvl_format/record_types.h"

namespace fmt = tvl_format;

namespace {

struct callbacks {
    ta_callback entity = nullptr;
    ta_callback table = nullptr;
    ta_callback command = nullptr;
};

callbacks &registered()
{
    static callbacks cb;
    return cb;
}

const char LINETYPE_FILE[] = "TAVREL";

// Hands a chain to a callback (when there is one) and releases it.
int call(ta_callback cb, resbuf *chain)
{
    const int status = cb ? cb(chain) : RB_OK;
    rb_release(chain);
    return status;
}

bool corrupt()
{
    msg_console(fmt::msg_corrupt_entity_data);
    return false;
}

// Positions the work file at a table record's data and checks its name.
bool open_table_record(const lib_request &r, std::string &name)
{
    std::FILE *work = lib_current().work;
    if (r.work_offset < 0 || std::fseek(work, r.work_offset, SEEK_SET) != 0 || !lib_read_name(work, name) ||
        name != r.name)
        return corrupt();
    return true;
}

bool deliver_linetype(const lib_request &r)
{
    std::FILE *work = lib_current().work;
    std::string name;
    std::int16_t count;
    if (!open_table_record(r, name))
        return false;
    if (!lib_read_i16(work, count) || count < 0)
        return corrupt();

    resbuf *chain = rb_build(RB_TYPE_NAME, "LTYPE", 2, name.c_str(), 73, int(count), 0);
    delivery_command(RB_STRING, "_.LINETYPE", RB_STRING, "_CREATE", RB_STRING, name.c_str(), RB_STRING, LINETYPE_FILE,
                     RB_STRING, name.c_str(), 0);
    if (count == 0)
        delivery_command(RB_STRING, "0.5,0.5", 0);
    for (int i = 0; i < count; ++i) {
        double element;
        if (!lib_read_f64(work, element)) {
            rb_release(chain);
            return corrupt();
        }
        char text[64];
        std::snprintf(text, sizeof text, i + 1 < count ? "%G," : "%G", element);
        delivery_command(RB_STRING, text, 0);
        rb_append_real(&chain, element, 49);
    }
    delivery_command(RB_STRING, "_LOAD", RB_STRING, name.c_str(), RB_STRING, LINETYPE_FILE, RB_STRING, "", 0);
    skel_remove((std::string(LINETYPE_FILE) + ".LIN").c_str());
    call(registered().table, chain);
    return true;
}

bool deliver_layer(const lib_request &r)
{
    std::FILE *work = lib_current().work;
    std::string name, linetype;
    std::int16_t colour;
    unsigned char flags;
    if (!open_table_record(r, name))
        return false;
    if (!lib_read_i16(work, colour) || !lib_read_u8(work, flags) || !lib_read_name(work, linetype) ||
        linetype.size() > fmt::max_ltype_name)
        return corrupt();

    const char *n = name.c_str();
    call(registered().table, rb_build(RB_TYPE_NAME, "LAYER", 2, n, 70, int(static_cast<signed char>(flags)), 62,
                                      int(colour), 6, linetype.c_str(), 0));
    delivery_command(RB_STRING, "_.LAYER", RB_STRING, "_NEW", RB_STRING, n, RB_STRING, "_COLOR", RB_SHORT, int(colour),
                     RB_STRING, n, 0);
    if (flags & 1)
        delivery_command(RB_STRING, "_FREEZE", RB_STRING, n, 0);
    if (flags & 4)
        delivery_command(RB_STRING, "_LOCK", RB_STRING, n, 0);
    delivery_command(RB_STRING, "_LTYPE", RB_STRING, linetype.c_str(), RB_STRING, n, RB_STRING, "", 0);
    if (flags & 2)
        delivery_command(RB_STRING, "_.VPLAYER", RB_STRING, "_VPVISDFLT", RB_STRING, n, RB_STRING, "_FROZEN", RB_STRING,
                         "", 0);
    return true;
}

bool deliver_style(const lib_request &r)
{
    std::FILE *work = lib_current().work;
    std::string name, font, second_font;
    double height, width, oblique;
    std::int16_t generation, style;
    if (!open_table_record(r, name))
        return false;
    if (!lib_read_f64(work, height) || !lib_read_f64(work, width) || !lib_read_f64(work, oblique) ||
        !lib_read_i16(work, generation) || !lib_read_i16(work, style) || !lib_read_name(work, font) ||
        !lib_read_name(work, second_font))
        return corrupt();
    if (width == 0.0)
        width = 1.0;
    for (char &c : font)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    const char *n = name.c_str();
    call(registered().table, rb_build(RB_TYPE_NAME, "STYLE", 2, n, 70, int(style), 71, int(generation), 40, height, 41,
                                      width, 50, oblique, 3, font.c_str(), 4, second_font.c_str(), 0));
    if (style & 1) {
        const std::string shapes = font + "," + second_font;
        delivery_command(RB_STRING, "_LOAD", RB_STRING, shapes.c_str(), 0);
        return true;
    }
    if (delivery_command(RB_STRING, "_.STYLE", RB_STRING, n, RB_STRING, font.c_str(), RB_REAL, height, 0) != RB_OK)
        return true;
    delivery_command(RB_REAL, width, RB_REAL, oblique, 0);
    delivery_command(RB_STRING, (generation & 2) ? "_Y" : "_N", RB_STRING, (generation & 4) ? "_Y" : "_N", 0);
    if (font.find(".PFB") == std::string::npos)
        delivery_command(RB_STRING, (style & 4) ? "_Y" : "_N", 0);
    return true;
}

// Flags, base point and path text at the start of a block's or prototype's data.
bool read_block_head(std::FILE *work, unsigned char &flags, double base[3], std::string *path)
{
    unsigned char length;
    if (!lib_read_u8(work, flags) || !point_read(work, 3, base) || !lib_read_u8(work, length))
        return false;
    if (!path)
        return std::fseek(work, length, SEEK_CUR) == 0;
    path->resize(length);
    return length == 0 || std::fread(path->data(), 1, length, work) == length;
}

// Loads a prototype's entities into the decoder's cache, where the block's own
// records refer to them.
bool load_prototype(const lib_request_list &list, const lib_request &block)
{
    std::FILE *work = lib_current().work;
    const std::string proto_name = std::to_string(block.prototype_offset);
    const lib_request *proto = req_find(list, fmt::record_prototype, proto_name.c_str());
    if (!proto) {
        msg_console(fmt::msg_no_prototype);
        return false;
    }
    unsigned char flags;
    double base[3] = {0, 0, 0};
    if (proto->work_offset < 0 || std::fseek(work, proto->work_offset, SEEK_SET) != 0 ||
        !read_block_head(work, flags, base, nullptr))
        return false;
    do {
        if (!ent_read(work, false))
            return false;
    } while (ent_current_type() != fmt::entity_endblk);
    return true;
}

// The BLOCK chain that opens a block's entities: the head of its data, under
// the target name for the requested block and "*U" for an anonymous one; null
// when the head cannot be read.
resbuf *block_chain(const lib_request_list &list, const lib_request &r, const std::string &target)
{
    unsigned char flags = 0;
    double base[3] = {0, 0, 0};
    std::string path;
    if (!read_block_head(lib_current().work, flags, base, &path))
        return nullptr;
    std::string block_name = r.name;
    if (!r.name.empty() && r.name[0] == '*')
        block_name = "*U";
    else if (&r == list.head && !target.empty())
        block_name = target;
    return rb_build(RB_TYPE_NAME, "BLOCK", 2, block_name.c_str(), 70, int(flags), 10, base, 1, path.c_str(), 0);
}

// Hands the block's chains to the entity callback, from the BLOCK chain to
// ENDBLK; a refused entity is reported and delivery goes on.
bool deliver_entities(resbuf *chain)
{
    std::FILE *work = lib_current().work;
    ent_set_current_type(fmt::entity_block);
    if (registered().entity)
        registered().entity(nullptr);
    for (;;) {
        if (!ent_paper_space() && registered().entity && registered().entity(chain) == RB_REJECT) {
            msg_console(fmt::msg_entity_refused);
            msg_box("\n");
            rb_print(chain);
        }
        rb_release(chain);
        if (ent_current_type() == fmt::entity_endblk) {
            decoder_reset();
            return true;
        }
        chain = ent_read(work, true);
        if (!chain)
            return false;
    }
}

bool deliver_block(const lib_request_list &list, const lib_request &r, const std::string &target)
{
    std::FILE *work = lib_current().work;
    ent_clear_paper_space();
    if (r.work_offset < 0 || std::fseek(work, r.work_offset, SEEK_SET) != 0)
        return false;
    decoder_reset();
    if (r.prototype_offset != 0 &&
        (!load_prototype(list, r) || std::fseek(work, r.work_offset, SEEK_SET) != 0))
        return false;

    resbuf *chain = block_chain(list, r, target);
    // Nested blocks of such libraries start with an entity of their own.
    if (lib_current_settings().combined_data == fmt::combined_data_blocks && &r != list.head && !ent_read(work, false)) {
        rb_release(chain);
        return false;
    }
    if (!chain) {
        msg_console(fmt::msg_no_block_list);
        return false;
    }
    return deliver_entities(chain);
}

// Walks the list from its last request back to the first, delivering one type.
bool deliver_pass(const lib_request_list &list, int type, const std::string &target)
{
    const lib_request *r = list.head->prev;
    for (;;) {
        if (r->type == type) {
            bool ok;
            switch (type) {
            case fmt::record_style: ok = deliver_style(*r); break;
            case fmt::record_ltype: ok = deliver_linetype(*r); break;
            case fmt::record_layer: ok = deliver_layer(*r); break;
            default: ok = deliver_block(list, *r, target); break;
            }
            if (!ok)
                return false;
        }
        if (r == list.head)
            return true;
        r = r->prev;
    }
}

bool fail(lib_request_list &list)
{
    req_clear(list);
    lib_close();
    return false;
}

} // namespace

void delivery_register(ta_callback entity_cb, ta_callback table_cb, ta_callback command_cb)
{
    registered() = {entity_cb, table_cb, command_cb};
}

int delivery_command(int code, ...)
{
    const ta_callback cb = registered().command;
    if (!cb)
        return RB_OK;
    va_list args;
    va_start(args, code);
    resbuf *chain = rb_vbuild(code, args);
    va_end(args);
    return call(cb, chain);
}

bool delivery_define(const char *library_path, const char *symbol_name)
{
    lib_request_list list;
    lib_close();
    definition_budget_reset();
    if (!lib_open(library_path ? library_path : ""))
        return fail(list);
    // Longer names do not fit the name buffers of the format; cutting one short
    // could pick another symbol.
    if (!symbol_name || std::strlen(symbol_name) > fmt::max_symbol_name)
        return fail(list);

    std::string chosen = std::string(symbol_name) + "_DWE";
    if (!lib_find(fmt::record_block, chosen.c_str()))
        chosen = symbol_name;

    std::string target = split_path(symbol_name).base;
    if (target.size() > fmt::max_target_name)
        target.resize(fmt::max_target_name);
    if (target.empty())
        return fail(list);

    req_append(list, fmt::record_block, chosen.c_str());
    if (!lib_load_requests(list))
        return fail(list);

    for (int type : {fmt::record_style, fmt::record_ltype, fmt::record_layer, fmt::record_block})
        if (!deliver_pass(list, type, target))
            return fail(list);

    req_clear(list);
    lib_close();
    return true;
}
