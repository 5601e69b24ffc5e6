#include "conversion/solids.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "conversion/conversion_state.h"
#include "conversion/layer_colors.h"
#include "render/scene_functions.h"
#include "skelvane/environment.h"
#include "skelvane/msgbox.h"
#include "skelvane/paths.h"
#include "skelvane/process.h"
#include "state/cl_viewer_app.h"
#include "support/layer_color_table.h"
#include "support/text_files.h"

namespace {

constexpr std::size_t command_buffer = 260;
constexpr std::size_t temp_folder_limit = 512;
long wait_limit_ms = 60000;

// What the converter may produce for one symbol, all its solids together: a
// symbol that repeats a solid, or holds many, must not multiply the converter's
// own per-solid bounds.  Real symbols' solids stay far below these.
solids_symbol_limits symbol_limits;
// How often a running converter's output is measured.
constexpr long poll_ms = 50;

// One face as the faces file gave it, kept to draw the same solid again.
struct converted_face {
    double corner[4][3];
    CString layer;
    std::uint32_t color;
};

// Conversions of the symbol being loaded, by the SAT text they were made from,
// and what the converter has used of the symbol's bounds.
struct symbol_solids {
    std::unordered_map<std::size_t, std::vector<converted_face>> converted;
    long faces_bytes = 0;
    long triangles = 0;
    long waited_ms = 0;
    bool limit_reported = false;
};

symbol_solids &solids_of_symbol()
{
    static symbol_solids s;
    return s;
}

std::string format_base(const char *pattern, const std::string &temp, int number)
{
    char buffer[temp_folder_limit + 64];
    std::snprintf(buffer, sizeof buffer, pattern, temp.c_str(), number);
    return buffer;
}

void remove_file(const std::string &path) { skel_remove(path.c_str()); }

// The DXF path with "_tmp." turned into "_new.".  Only the file name's own
// "_tmp." is replaced: a temporary folder that happens to hold the same text
// must not send the deletion into another folder.
std::string new_dxf_path(const std::string &dxf)
{
    std::string out = dxf;
    const std::size_t at = out.rfind("_tmp.");
    if (at != std::string::npos)
        out.replace(at, 5, "_new.");
    return out;
}

void show_box(const std::string &text) { MessageBox(nullptr, text.c_str(), "Skelvane", MB_OK); }

void start_failure_box(const std::string &program, const std::string &command_line)
{
    const auto &s = conversion_state();
    std::string text = program + "\n" + command_line + "\n" + "File Conversion failure. Process could not be started." +
                       "\n\nCould not convert solids file:\n\n" + s.sat_path + "\n\n to: \n\n" + s.faces_path;
    show_box(text);
}

// A decimal integer as atol reads it, held to the range of int.
int read_int(const std::string &text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

std::string trim(const std::string &s)
{
    const char *blank = " \t\r\n\f\v";
    const std::size_t first = s.find_first_not_of(blank);
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(blank) - first + 1);
}

struct pending_layer {
    std::string name;
    int color = -1;
};

struct pending_face {
    double corner[4][3] = {};
    std::string layer = "0";
    int flags = 0;
    bool open = false;
};

class faces_reader {
public:
    void pair(int code, const std::string &value, int number, double real)
    {
        if (in_layer_table_) {
            layer_pair(code, value, number);
            return;
        }
        if (!in_entities_) {
            if (value == "ENTITIES")
                in_entities_ = true;
            return;
        }
        entity_pair(code, value, number, real);
    }

    // (0, "TABLE") is a group-0 pair like any other before it opens a table.
    void table_start()
    {
        if (in_layer_table_)
            end_layer();
        else if (in_entities_)
            close_face_if_any();
    }
    void enter_layer_table() { in_layer_table_ = true; }

private:
    void end_layer()
    {
        if (!layer_.name.empty() && layer_.color != -1)
            layer_color_map_add(layer_.name, layer_.color);
        layer_ = pending_layer{};
    }

    void layer_pair(int code, const std::string &value, int number)
    {
        if (code == 0) {
            end_layer();
            if (value == "ENDTAB")
                in_layer_table_ = false;
            return;
        }
        if (code == 2)
            layer_.name = value;
        else if (code == 62)
            layer_.color = number;
    }

    void close_face_if_any()
    {
        if (face_.open)
            add_face();
        face_ = pending_face{};
    }

    void entity_pair(int code, const std::string &value, int number, double real)
    {
        if (code == 0) {
            close_face_if_any();
            face_.open = value == "3DFACE";
            return;
        }
        if (!face_.open)
            return;
        if (code == 8) {
            face_.layer = value;
        } else if (code == 70) {
            face_.flags = number;
        } else if (code >= 10 && code <= 33 && code % 10 <= 3) {
            const int corner = code % 10;
            const int axis = code / 10 - 1;
            face_.corner[corner][axis] = real;
            if (corner == 2)
                face_.corner[3][axis] = real; // a third corner stands for the fourth too
        }
    }

    void add_face()
    {
        const auto &map = layer_color_map();
        const auto found = map.find(face_.layer);
        if (found != map.end()) {
            const long n = std::atol(found->second.c_str());
            if (n > 0 && static_cast<std::size_t>(n) < LayerColorTable.size()) {
                if (const auto c = LookupLayerColor(n))
                    color_ = *c;
            }
        }
        converted_face face{{}, CString(face_.layer), color_};
        std::memcpy(face.corner, face_.corner, sizeof face.corner);
        sink_(face);
    }

public:
    explicit faces_reader(std::function<void(const converted_face &)> sink) : sink_(std::move(sink)) {}

private:
    std::function<void(const converted_face &)> sink_;

    bool in_layer_table_ = false;
    bool in_entities_ = false;
    pending_layer layer_;
    pending_face face_;
    std::uint32_t color_ = 0x808080; // (128, 128, 128) until a layer gives one
};

void draw_face(const converted_face &f)
{
    const auto &p = f.corner;
    scene_add_quad(p[0][0], p[0][1], p[0][2], p[1][0], p[1][1], p[1][2], p[2][0], p[2][1], p[2][2], p[3][0], p[3][1],
                   p[3][2], f.layer, static_cast<int>(f.color & 0xFF), static_cast<int>((f.color >> 8) & 0xFF),
                   static_cast<int>((f.color >> 16) & 0xFF));
}

// Reads the pairs of a faces file, handing each face to the sink.
void read_faces(const CString &path, const std::function<void(const converted_face &)> &sink)
{
    cl_input_file file;
    if (!file.OpenRead(path))
        return;
    faces_reader reader(sink);
    auto next_pair = [&](int &code, std::string &value, int &number, double &real) {
        CString code_line, value_line;
        if (!file.ReadString(code_line) || !file.ReadString(value_line))
            return false;
        code = read_int(code_line.str());
        value = trim(value_line.str());
        number = read_int(value);
        real = std::atof(value.c_str());
        return true;
    };
    int code = 0;
    std::string value;
    int number = 0;
    double real = 0.0;
    while (next_pair(code, value, number, real)) {
        if (code == 0 && value == "TABLE") {
            reader.table_start();
            if (!next_pair(code, value, number, real))
                break;
            if (code == 2 && value == "LAYER")
                reader.enter_layer_table();
            continue;
        }
        reader.pair(code, value, number, real);
    }
    // A face still pending at the end of the file is not added.
}

// The modeller text of a solid as the converter reads it.
std::string sat_text(const resbuf *chain)
{
    std::string sat;
    for (const resbuf *rb = chain; rb; rb = rb->next) {
        if (rb->code != 1 && rb->code != 3 && rb->code != 4)
            continue;
        if (!rb->value.string || rb->value.string[0] == '\0')
            continue;
        std::string text = rb->value.string;
        // The drawing format stores modeller text with printable bytes mirrored.
        for (char &ch : text) {
            const unsigned char b = static_cast<unsigned char>(ch);
            if (b >= 33 && b <= 127)
                ch = static_cast<char>(159 - b);
        }
        if (rb->code == 1)
            text += '\n'; // groups 3 and 4 run on into the next record's text
        sat += text;
    }
    return sat + "End-of-ACIS-data\n";
}

// Shows, once per symbol, that its solids went over a bound and the rest are not drawn.
void report_limit(const char *what, long limit)
{
    symbol_solids &sym = solids_of_symbol();
    if (sym.limit_reported)
        return;
    sym.limit_reported = true;
    char text[256];
    std::snprintf(text, sizeof text,
                  "The solids of this symbol reach the limit of %ld %s for solids conversion; the rest are not drawn.",
                  limit, what);
    show_box(text);
}

// Whether the symbol may start one more conversion.
bool symbol_has_room()
{
    const symbol_solids &sym = solids_of_symbol();
    if (sym.waited_ms >= symbol_limits.wait_ms) {
        report_limit("seconds", symbol_limits.wait_ms / 1000);
        return false;
    }
    if (sym.faces_bytes >= symbol_limits.faces_bytes) {
        report_limit("bytes", symbol_limits.faces_bytes);
        return false;
    }
    if (sym.triangles >= symbol_limits.triangles) {
        report_limit("triangles", symbol_limits.triangles);
        return false;
    }
    return true;
}

long host_file_size(const std::string &windows_path)
{
    std::string host;
    struct stat st;
    if (!skel_resolve_existing(windows_path, host) || ::stat(host.c_str(), &st) != 0)
        return 0;
    return static_cast<long>(st.st_size);
}

// Reserves the names of one conversion: the SAT and faces files are created
// exclusively under a number no other conversion (of this viewer or another)
// holds, so that two viewers at once never read each other's solids.
bool reserve_names(const char *pattern, const std::string &temp)
{
    auto &s = conversion_state();
    static std::mt19937 generator(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
    std::uniform_int_distribution<int> numbers(2, 999999999);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string base = format_base(pattern, temp, numbers(generator));
        std::FILE *sat = skel_fopen((base + ".sat").c_str(), "wbx");
        if (!sat)
            continue;
        std::fclose(sat);
        std::FILE *faces = skel_fopen((base + "_faces.dxf").c_str(), "wbx");
        if (!faces) {
            remove_file(base + ".sat");
            continue;
        }
        std::fclose(faces);
        s.sat_path = base + ".sat";
        s.debug_path = base + ".dbg";
        s.dxf_path = base + ".dxf";
        s.faces_path = base + "_faces.dxf";
        s.new_dxf_path = new_dxf_path(s.dxf_path);
        return true;
    }
    return false;
}

void remove_conversion_files()
{
    const auto &s = conversion_state();
    for (const std::string *path : {&s.sat_path, &s.debug_path, &s.dxf_path, &s.new_dxf_path, &s.faces_path})
        remove_file(*path);
}

// Waits for the converter within what the symbol has left of time and output;
// stops it when either runs out.  False when its output went over the bound.
bool wait_for_converter(skel_process *process)
{
    symbol_solids &sym = solids_of_symbol();
    const auto start = std::chrono::steady_clock::now();
    const long limit = std::min(wait_limit_ms, symbol_limits.wait_ms - sym.waited_ms);
    bool ended = false;
    bool within_output = true;
    long waited = 0;
    while (!ended && waited < limit) {
        ended = skel_wait_process(process, std::min(poll_ms, limit - waited));
        waited = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
        if (host_file_size(conversion_state().faces_path) > symbol_limits.faces_bytes - sym.faces_bytes) {
            within_output = false;
            break;
        }
    }
    if (!ended)
        skel_terminate_process(process); // a hung converter must not outlive the wait
    sym.waited_ms += waited;
    return within_output;
}

// Reads the converter's faces into the scene and keeps them for the same solid
// met again in this symbol, within the symbol's triangle bound.
void take_faces(std::size_t key)
{
    symbol_solids &sym = solids_of_symbol();
    const auto &s = conversion_state();
    sym.faces_bytes += host_file_size(s.faces_path);
    std::vector<converted_face> faces;
    bool over = false;
    read_faces(CString(s.faces_path), [&](const converted_face &f) {
        if (over || sym.triangles + 2 > symbol_limits.triangles) {
            over = true;
            return;
        }
        sym.triangles += 2;
        faces.push_back(f);
        draw_face(f);
    });
    if (over)
        report_limit("triangles", symbol_limits.triangles);
    else
        sym.converted.emplace(key, std::move(faces));
}

} // namespace

void forget_solid_conversions()
{
    solids_of_symbol() = symbol_solids{};
}

const solids_symbol_limits &solids_limits() { return symbol_limits; }
void set_solids_limits(const solids_symbol_limits &limits) { symbol_limits = limits; }

long solids_wait_limit() { return wait_limit_ms; }
void set_solids_wait_limit(long milliseconds) { wait_limit_ms = milliseconds; }

bool write_sat_file(const resbuf *chain)
{
    cl_output_file file;
    if (!file.OpenWrite(conversion_state().sat_path.c_str()))
        return false;
    const bool written = file.WriteText(CString(sat_text(chain)));
    file.Close();
    return written;
}

void read_faces_file(const CString &path)
{
    read_faces(path, draw_face);
}

void convert_solid(const cl_entity_record &record, const resbuf *chain, const char *pattern)
{
    (void)record; // faces take the layers the faces file names
    // A temporary folder longer than its buffer gives no usable names; a cut
    // name could point into some other folder, so the solid is skipped.
    const std::string temp = GetTempPath();
    if (temp.size() > temp_folder_limit)
        return;

    // The same solid again in this symbol draws what its first conversion gave.
    symbol_solids &sym = solids_of_symbol();
    const std::size_t key = std::hash<std::string>{}(sat_text(chain));
    if (const auto known = sym.converted.find(key); known != sym.converted.end()) {
        for (const converted_face &f : known->second)
            draw_face(f);
        return;
    }
    if (!symbol_has_room())
        return;
    if (!reserve_names(pattern, temp))
        return;
    auto &s = conversion_state();
    if (!write_sat_file(chain)) {
        remove_conversion_files();
        return;
    }

    const std::string folder = viewer_app().folder;
    const std::string program = folder + "\\3dsolids_files\\Vorstep.exe";
    if (!skel_file_exists(program.c_str())) {
        remove_conversion_files();
        char text[1024];
        std::snprintf(text, sizeof text, "Cannot find solids sonversion routine: %s", program.c_str());
        show_box(text);
        return;
    }
    const std::string command_line = " \"" + s.sat_path + "\" \"" + s.faces_path + "\"";
    // The program path, command line and folder live in 260-character buffers:
    // anything longer cannot be passed on whole, so it is not started at all.
    // Nor can a quote inside a path: it would split the arguments elsewhere.
    skel_process *process = nullptr;
    if (command_line.size() < command_buffer && folder.size() < command_buffer && program.size() < command_buffer &&
        program.find('"') == std::string::npos && s.sat_path.find('"') == std::string::npos &&
        s.faces_path.find('"') == std::string::npos)
        process = skel_start_process("\"" + program + "\"" + command_line, folder);
    if (!process) {
        remove_conversion_files();
        start_failure_box(program, command_line);
        return;
    }
    const bool within_output = wait_for_converter(process);
    skel_close_process(process);

    if (!within_output)
        report_limit("bytes", symbol_limits.faces_bytes);
    else if (skel_file_exists(s.faces_path.c_str()))
        take_faces(key);
    remove_conversion_files();
}
