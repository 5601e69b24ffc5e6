#include "fuzz_target.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "skelvane_ui.h"
#include "tvlaccess.h"

namespace {

int accept_chain(const resbuf *chain)
{
    // Touch every record, as a host would.
    volatile int n = 0;
    for (const resbuf *rb = chain; rb; rb = rb->next)
        n = n + rb->code;
    return RB_OK;
}

// Refuses every third entity, so that refused chains get printed too; counted
// from the start of each input, so that every run of an input is the same.
unsigned entities_seen = 0;

int entity_chain(const resbuf *chain)
{
    accept_chain(chain);
    return chain && ++entities_seen % 3 == 0 ? RB_REJECT : RB_OK;
}

// Answers Yes, so that every message keeps going through the message-box path
// instead of being silenced after the first one.
int quiet_box(void *, const char *, const char *, unsigned int)
{
    return 6; // IDYES
}

const std::string &scratch_folder()
{
    static const std::string folder = [] {
        std::string pattern = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/tvlfuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        setenv("TEMP", pattern.c_str(), 1);
        skelvane_set_message_box_provider(quiet_box);
        return pattern;
    }();
    static const bool cleanup = [] { return std::atexit([] { rmdir(scratch_folder().c_str()); }) == 0; }();
    (void)cleanup;
    return folder;
}

} // namespace

int reader_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    const std::string path = scratch_folder() + "/input.tvl";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    // Reader messages go to standard output; keep them out of the fuzzer's log.
    std::fflush(stdout);
    const int saved = dup(1);
    std::FILE *null = std::freopen("/dev/null", "w", stdout);
    (void)null;

    entities_seen = 0;
    resbuf *names = ta_tvllist(path.c_str());
    ta_init(entity_chain, accept_chain, accept_chain);
    int defined = 0;
    for (const resbuf *rb = names; rb && defined < 4; rb = rb->next, ++defined)
        if (rb->code == RB_STRING && rb->value.string)
            ta_tvldef(path.c_str(), rb->value.string);
    ta_relrb(names);
    // A name the listing may hide or not know.
    ta_tvldef(path.c_str(), "A");

    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    std::remove(path.c_str());
    return 0;
}
