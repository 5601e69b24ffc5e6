// Helpers of the reader tests: scratch folders, hand-coded block data and a
// recorder of callback calls.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "file_text.h"
#include "scratch_folder.h"
#include "tvlaccess.h"
#include "writer/library.h"

namespace rt {

// A scratch folder that is drive C as well.
class ScratchDir : public skeltest::scratch_folder {
public:
    ScratchDir() { map_drive_c(); }
    // Work files the reader left behind.
    int leftover_work_files() const;
};

// Block data coded in the longest form: complete entities, explicit reals.
class PlainBlock {
public:
    explicit PlainBlock(int flags = 0, double x = 0, double y = 0, double z = 0, const std::string &path = "");
    PlainBlock &entity(int type_number);
    PlainBlock &str(int code, const std::string &s);
    PlainBlock &shrt(int code, int v);
    PlainBlock &real(int code, double v);
    PlainBlock &point(int code, double x, double y, double z);
    PlainBlock &end_entity();
    // LINE on a layer from one point to another.
    PlainBlock &line(const std::string &layer, double x1, double y1, double x2, double y2);
    // INSERT of another block.
    PlainBlock &insert(const std::string &layer, const std::string &block);
    // Ends with ENDBLK and answers the data.
    std::vector<std::uint8_t> finish();
    std::vector<std::uint8_t> &bytes() { return out_; }

private:
    void coordinate(double v);
    std::vector<std::uint8_t> out_;
};

// Records every callback call as a line of the form tvl dump writes.
struct Trace {
    std::vector<std::string> lines;
    int entity_answer = RB_OK;
    int command_answer = RB_OK;
    std::string joined() const;
};
Trace &trace();
void trace_register(bool entity = true, bool table = true, bool command = true);
std::string chain_text(const resbuf *chain);

// Captures what the reader prints on standard output while fn runs.
template <class Fn> std::string stdout_of(Fn fn);

using skeltest::read_file;
void write_bytes(const std::string &path, const std::vector<std::uint8_t> &bytes);

} // namespace rt

#include <gtest/gtest.h>

template <class Fn> std::string rt::stdout_of(Fn fn)
{
    testing::internal::CaptureStdout();
    fn();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}
