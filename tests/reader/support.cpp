#include "support.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "resbuf.h"
#include "skelvane/ui.h"
#include "writer/entity_encoder.h"

namespace rt {

int ScratchDir::leftover_work_files() const
{
    int n = 0;
    for (const auto &e : std::filesystem::directory_iterator(path())) {
        const std::string name = e.path().filename().string();
        if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".sb$") == 0)
            ++n;
    }
    return n;
}

PlainBlock::PlainBlock(int flags, double x, double y, double z, const std::string &path)
{
    out_.push_back(static_cast<std::uint8_t>(flags));
    out_.push_back(0); // explicit point
    coordinate(x);
    coordinate(y);
    coordinate(z);
    out_.push_back(static_cast<std::uint8_t>(path.size()));
    out_.insert(out_.end(), path.begin(), path.end());
}

void PlainBlock::coordinate(double v)
{
    out_.push_back(0); // real type: a double
    tvlw::raw::f64(out_, v);
}

PlainBlock &PlainBlock::entity(int type_number)
{
    out_.push_back(0);
    out_.push_back(static_cast<std::uint8_t>(type_number));
    return *this;
}

PlainBlock &PlainBlock::str(int code, const std::string &s)
{
    out_.push_back(static_cast<std::uint8_t>(code));
    out_.push_back(static_cast<std::uint8_t>(s.size()));
    out_.insert(out_.end(), s.begin(), s.end());
    return *this;
}

PlainBlock &PlainBlock::shrt(int code, int v)
{
    out_.push_back(static_cast<std::uint8_t>(code));
    out_.push_back(0xFF);
    tvlw::raw::i16(out_, v);
    return *this;
}

PlainBlock &PlainBlock::real(int code, double v)
{
    out_.push_back(static_cast<std::uint8_t>(code));
    coordinate(v);
    return *this;
}

PlainBlock &PlainBlock::point(int code, double x, double y, double z)
{
    out_.push_back(static_cast<std::uint8_t>(code));
    out_.push_back(0);
    coordinate(x);
    coordinate(y);
    coordinate(z);
    return *this;
}

PlainBlock &PlainBlock::end_entity()
{
    out_.push_back(0);
    return *this;
}

PlainBlock &PlainBlock::line(const std::string &layer, double x1, double y1, double x2, double y2)
{
    return entity(1).str(8, layer).point(10, x1, y1, 0).point(11, x2, y2, 0).end_entity();
}

PlainBlock &PlainBlock::insert(const std::string &layer, const std::string &block)
{
    return entity(14).str(8, layer).str(2, block).point(10, 0, 0, 0).end_entity();
}

std::vector<std::uint8_t> PlainBlock::finish()
{
    entity(13).end_entity();
    return out_;
}

std::string Trace::joined() const
{
    std::string s;
    for (const auto &l : lines)
        s += l + "\n";
    return s;
}

Trace &trace()
{
    static Trace t;
    return t;
}

std::string chain_text(const resbuf *chain)
{
    if (!chain)
        return "(null)";
    std::string s;
    char text[2048];
    for (const resbuf *rb = chain; rb; rb = rb->next) {
        rb_format(rb, text, sizeof text);
        s += text;
    }
    return s;
}

static int on_entity(const resbuf *chain)
{
    trace().lines.push_back("E " + chain_text(chain));
    return trace().entity_answer;
}

static int on_table(const resbuf *chain)
{
    trace().lines.push_back("T " + chain_text(chain));
    return RB_OK;
}

static int on_command(const resbuf *chain)
{
    trace().lines.push_back("C " + chain_text(chain));
    return trace().command_answer;
}

void trace_register(bool entity, bool table, bool command)
{
    trace() = Trace{};
    ta_init(entity ? on_entity : nullptr, table ? on_table : nullptr, command ? on_command : nullptr);
}

void write_bytes(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace rt
