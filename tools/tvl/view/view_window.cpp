#include "view_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "gallery/symbol_facts.h"
#include "picture_area.h"
#include "reader_messages.h"
#include "tavrel_viewer.h"
#include "views.h"

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The window and what it shows.  Keys: p plan, f front, r right, i iso, m the
// drawing mode; dragging the picture turns the camera.
class view_window : public Fl_Double_Window {
public:
    view_window(const view_options &options, std::vector<std::string> names)
        : Fl_Double_Window(960, 640), options_(options), names_(std::move(names)),
          filter_(8, 8, 244, 28), list_(8, 44, 244, 588), picture_(260, 8, 692, 624, viewer_)
    {
        end();
        resizable(&picture_);
        size_range(480, 320);
        filter_.tooltip("Filter the symbols by name");
        filter_.when(FL_WHEN_CHANGED);
        filter_.callback([](Fl_Widget *, void *self) { static_cast<view_window *>(self)->refilter(); }, this);
        list_.callback([](Fl_Widget *, void *self) { static_cast<view_window *>(self)->picked(); }, this);
        picture_.on_turn = [this](int turned) {
            view_ = "rotation " + std::to_string(turned - 360);
            retitle();
        };
        picture_.on_key = [this](int key) { return command_key(key); };

        viewer_.SetLibrary(options_.library.c_str());
        if (!options_.colors.empty())
            viewer_.SetLayerColorFile(options_.colors.c_str());
        viewer_.SetBackgroundColor(0xFFFFFF);
        viewer_.SetShowLines(1);
        viewer_.SetFitLines(1);
        viewer_.SetScaledLineWidth(1);
        full_ = options_.mode != "classic";
        viewer_.SetDrawingMode(full_ ? TAVREL_MODE_FULL : TAVREL_MODE_CLASSIC);
        refilter();
        show_symbol(options_.symbol.empty() ? names_.front() : options_.symbol);
    }

    ~view_window() override { viewer_.DeleteObjects(); }

    int handle(int event) override
    {
        // Keys nobody else took (the filter box keeps its letters).
        if (event == FL_SHORTCUT && command_key(Fl::event_key()))
            return 1;
        return Fl_Double_Window::handle(event);
    }

private:
    bool command_key(int key)
    {
        static const char *const views[][2] = {{"p", "plan"}, {"f", "front"}, {"r", "right"}, {"i", "iso"}};
        for (const auto &v : views)
            if (key == v[0][0]) {
                set_view(v[1]);
                return true;
            }
        if (key == 'm') {
            full_ = !full_;
            viewer_.SetDrawingMode(full_ ? TAVREL_MODE_FULL : TAVREL_MODE_CLASSIC);
            picture_.changed();
            retitle();
            return true;
        }
        return false;
    }

    void set_view(const std::string &view)
    {
        const camera_angles angles = named_view(view);
        viewer_.SetCameraRotation(angles.rotation);
        viewer_.SetCameraTilt(angles.tilt);
        view_ = view;
        picture_.changed();
        retitle();
    }

    void show_symbol(const std::string &symbol)
    {
        symbol_ = symbol;
        viewer_.SetBlockName(symbol.c_str());
        int loaded = 0;
        {
            const reader_messages_to_stderr redirect;
            loaded = viewer_.LoadSymbol();
        }
        const std::string view = automatic_view(viewer_);
        // The first RemakeImage after LoadSymbol keeps the loaded scene's small
        // bitmap; loading anew through RemakeImage draws at the window's size.
        viewer_.ClearLastBlock();
        set_view(view);
        if (loaded != 1) {
            view_ = "cannot be loaded";
            retitle();
        }
        for (int line = 1; line <= list_.size(); ++line)
            if (list_.text(line) == symbol_)
                list_.select(line);
    }

    void picked()
    {
        const int line = list_.value();
        if (line > 0 && list_.text(line) != symbol_)
            show_symbol(list_.text(line));
    }

    // Lists the symbols whose name holds the filter text, whatever its case.
    void refilter()
    {
        const std::string wanted = lower(filter_.value());
        list_.clear();
        for (const std::string &name : names_)
            if (lower(name).find(wanted) != std::string::npos) {
                list_.add(name.c_str());
                if (name == symbol_)
                    list_.select(list_.size());
            }
        retitle();
    }

    void retitle()
    {
        title_ = "tvl view - " + std::filesystem::path(options_.library).filename().string() + " - " + symbol_ +
                 " (" + std::to_string(list_.size()) + " of " + std::to_string(names_.size()) + ") - " + view_ +
                 " - " + (full_ ? "full" : "classic");
        label(title_.c_str());
    }

    view_options options_;
    std::vector<std::string> names_;
    cl_export_functions viewer_;
    Fl_Input filter_;
    Fl_Hold_Browser list_;
    picture_area picture_;
    std::string symbol_;
    std::string view_ = "iso";
    std::string title_;
    bool full_ = true;
};

} // namespace

int run_view_window(const view_options &options)
{
    const char *display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') {
        std::fprintf(stderr, "tvl view: no display: set DISPLAY to an X server\n");
        return 1;
    }
    const std::vector<std::string> names = list_symbols(options.library);
    if (names.empty()) {
        std::fprintf(stderr, "tvl view: no symbols listed in %s\n", options.library.c_str());
        return 1;
    }
    if (!options.symbol.empty() && std::find(names.begin(), names.end(), options.symbol) == names.end()) {
        std::fprintf(stderr, "tvl view: no symbol %s listed in %s\n", options.symbol.c_str(),
                     options.library.c_str());
        return 1;
    }
    Fl::visual(FL_RGB);
    auto window = std::make_unique<view_window>(options, names);
    window->show();
    return Fl::run();
}
