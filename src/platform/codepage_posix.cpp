// Code pages (POSIX side): iconv behind codepage.h.
#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>

struct CodePageConversion {
    iconv_t cd;
};

CodePageConversion* OpenCodePageConversion(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return new CodePageConversion{cd};
}

void CloseCodePageConversion(CodePageConversion* conversion) {
    if (conversion == nullptr) return;
    iconv_close(conversion->cd);
    delete conversion;
}

void AppendConverted(CodePageConversion& conversion, std::string_view text, std::string& out,
                     Unconvertible unconvertible, void* context) {
    iconv_t cd = conversion.cd;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text.data());  // iconv's signature; the input is not written
    size_t inLeft = text.size();
    while (inLeft > 0) {
        size_t used = out.size();
        out.resize(used + 2 * inLeft + 8);
        char* o = out.data() + used;
        size_t outLeft = out.size() - used;
        size_t result = iconv(cd, &in, &inLeft, &o, &outLeft);
        int err = errno;
        out.resize(out.size() - outLeft);
        if (result != static_cast<size_t>(-1) || err == E2BIG) continue;
        // EILSEQ (a character the target lacks, or invalid input), EINVAL (a character cut short at the
        // end), or anything else: what stands for the bytes here, then on after them.
        size_t skip = unconvertible(context, std::string_view(in, inLeft), out);
        if (skip == 0) skip = 1;
        if (skip > inLeft) skip = inLeft;
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
}
