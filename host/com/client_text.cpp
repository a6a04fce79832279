// client_text.cpp - text at the boundary: the host keeps UTF-8 and hands the client text in
// its encoding (FrameRoman), through the host's own converter from its installation directory.
#include <unicode/ucnv.h>
#include <unicode/utypes.h>

#include <algorithm>

#include "host/com/host.h"
#include "host/com/host_impl.h"

namespace tw::host {

bool Host::converterReady()
{
    if (!impl_->converterTried) {
        impl_->converterTried = true;
        UErrorCode err = U_ZERO_ERROR;
        // The host's own converter from its installation directory; the process-wide ICU
        // data directory is the client's business.
        // Converters outside ICU's own package sit in <data dir>/icudt<version><endian>/.
        for (std::string dir :
             {model_.installDir + "/icu_data/" U_ICUDATA_NAME "/", model_.installDir + "/icu_data/"}) {
            err = U_ZERO_ERROR;
            impl_->converter = ucnv_openPackage(dir.c_str(), "adobe-fm-roman-windows", &err);
            if (U_SUCCESS(err) && impl_->converter)
                break;
            impl_->converter = nullptr;
        }
        if (!impl_->converter) {
            err = U_ZERO_ERROR;
            impl_->converter = ucnv_open("adobe-fm-roman-windows", &err);
            if (U_FAILURE(err))
                impl_->converter = nullptr;
        }
    }
    return impl_->converter != nullptr;
}

std::string Host::toClient(const std::string& utf8)
{
    bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !converterReady())
        return utf8; // ASCII is the same in both; without a converter the bytes pass unchanged
    UErrorCode err = U_ZERO_ERROR;
    std::string out(utf8.size() * 2 + 1, '\0');
    UConverter* utf8conv = ucnv_open("UTF-8", &err);
    char* target = out.data();
    const char* source = utf8.data();
    ucnv_resetFromUnicode(impl_->converter);
    ucnv_convertEx(impl_->converter, utf8conv, &target, out.data() + out.size(), &source, utf8.data() + utf8.size(),
                   nullptr, nullptr, nullptr, nullptr, true, true, &err);
    ucnv_close(utf8conv);
    if (U_FAILURE(err))
        return utf8;
    out.resize(static_cast<size_t>(target - out.data()));
    return out;
}

std::string Host::fromClient(const char* text)
{
    if (!text)
        return {};
    std::string bytes = text;
    bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !converterReady())
        return bytes;
    UErrorCode err = U_ZERO_ERROR;
    UConverter* utf8conv = ucnv_open("UTF-8", &err);
    std::string out(bytes.size() * 4 + 1, '\0');
    char* target = out.data();
    const char* source = bytes.data();
    ucnv_resetToUnicode(impl_->converter);
    ucnv_convertEx(utf8conv, impl_->converter, &target, out.data() + out.size(), &source, bytes.data() + bytes.size(),
                   nullptr, nullptr, nullptr, nullptr, true, true, &err);
    ucnv_close(utf8conv);
    if (U_FAILURE(err))
        return bytes;
    out.resize(static_cast<size_t>(target - out.data()));
    return out;
}

} // namespace tw::host
