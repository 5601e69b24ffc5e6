#include "conversion/solids.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "conversion/conversion_state.h"
#include "conversion/layer_colors.h"
#include "interface/cl_viewer_app.h"
#include "render/scene_functions.h"
#include "skelvane/environment.h"
#include "skelvane/msgbox.h"
#include "skelvane/paths.h"
#include "skelvane/process.h"
#include "support/layer_color_table.h"
#include "support/text_files.h"

namespace {

constexpr std::size_t command_buffer = 260;
constexpr std::size_t temp_folder_limit = 512;
long wait_limit_ms = 60000;

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
        const auto &p = face_.corner;
        scene_add_quad(p[0][0], p[0][1], p[0][2], p[1][0], p[1][1], p[1][2], p[2][0], p[2][1], p[2][2], p[3][0],
                       p[3][1], p[3][2], CString(face_.layer), static_cast<int>(color_ & 0xFF),
                       static_cast<int>((color_ >> 8) & 0xFF), static_cast<int>((color_ >> 16) & 0xFF));
    }

    bool in_layer_table_ = false;
    bool in_entities_ = false;
    pending_layer layer_;
    pending_face face_;
    std::uint32_t color_ = 0x808080; // (128, 128, 128) until a layer gives one
};

} // namespace

long solids_wait_limit() { return wait_limit_ms; }
void set_solids_wait_limit(long milliseconds) { wait_limit_ms = milliseconds; }

bool write_sat_file(const resbuf *chain)
{
    cl_output_file file;
    if (!file.OpenWrite(conversion_state().sat_path.c_str()))
        return false;
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
        file.WriteText(CString(text));
    }
    file.WriteText(CString("End-of-ACIS-data\n"));
    file.Close();
    return true;
}

void read_faces_file(const CString &path)
{
    cl_input_file file;
    if (!file.OpenRead(path))
        return;
    faces_reader reader;
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

void convert_solid(const cl_entity_record &record, const resbuf *chain, const char *pattern)
{
    (void)record; // faces take the layers the faces file names
    auto &s = conversion_state();
    // A temporary folder longer than its buffer gives no usable names; a cut
    // name could point into some other folder, so the solid is skipped.
    const std::string temp = GetTempPath();
    if (temp.size() > temp_folder_limit)
        return;
    const std::string base = format_base(pattern, temp, s.solid_file_number);
    s.sat_path = base + ".sat";
    s.debug_path = base + ".dbg";
    s.dxf_path = base + ".dxf";
    s.faces_path = base + "_faces.dxf";
    remove_file(s.sat_path);
    remove_file(s.debug_path);
    remove_file(s.dxf_path);
    remove_file(s.faces_path);

    if (!write_sat_file(chain))
        return;
    remove_file(s.faces_path);
    s.new_dxf_path = new_dxf_path(s.dxf_path);

    const std::string folder = viewer_app().folder;
    const std::string program = folder + "\\3dsolids_files\\Vorstep.exe";
    if (!skel_file_exists(program.c_str())) {
        char text[1024];
        std::snprintf(text, sizeof text, "Cannot find solids sonversion routine: %s", program.c_str());
        show_box(text);
        return;
    }
    const std::string command_line = " \"" + s.sat_path + "\" \"" + s.faces_path + "\"";
    // The program path, command line and folder live in 260-character buffers:
    // anything longer cannot be passed on whole, so it is not started at all.
    // Nor can a quote inside a path: it would split the arguments elsewhere.
    if (command_line.size() >= command_buffer || folder.size() >= command_buffer ||
        program.size() >= command_buffer || program.find('"') != std::string::npos ||
        s.sat_path.find('"') != std::string::npos || s.faces_path.find('"') != std::string::npos) {
        start_failure_box(program, command_line);
        return;
    }
    skel_process *process = skel_start_process("\"" + program + "\"" + command_line, folder);
    if (!process) {
        start_failure_box(program, command_line);
        return;
    }
    if (!skel_wait_process(process, wait_limit_ms))
        skel_terminate_process(process); // a hung converter must not outlive the wait
    skel_close_process(process);

    if (skel_file_exists(s.faces_path.c_str()))
        read_faces_file(CString(s.faces_path));
    remove_file(s.dxf_path);
    remove_file(s.new_dxf_path);
    remove_file(s.faces_path);
}
