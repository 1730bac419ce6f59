#include "lookup/LookupToc.h"

#include <windows.h>
#include <wincrypt.h>

static uint32_t FramesOfMsf(uint32_t msf) {
    return ((msf & 0xFF) * 60 + ((msf >> 8) & 0xFF)) * 75 + ((msf >> 16) & 0xFF);
}

LookupToc MakeLookupToc(const std::vector<uint32_t>& startsMsf, uint32_t lastLengthMsf,
                        const std::vector<bool>& dataTracks) {
    LookupToc toc;
    int count = (int)startsMsf.size();
    if (count == 0)
        return toc;
    for (uint32_t start : startsMsf)
        toc.offsets.push_back(FramesOfMsf(start));
    toc.first = 1;
    // Every data track at the end is left out; the audio session then ends
    // 11,400 frames before the first of them. A disc of data alone keeps
    // its first track, so that it still reads as a disc.
    int audio = count;
    while (audio > 1 && audio <= (int)dataTracks.size() && dataTracks[audio - 1])
        audio--;
    toc.last = audio;
    if (audio < count) {
        toc.leadOut = toc.offsets[audio] - 11400;
        while ((int)toc.offsets.size() > audio)
            toc.offsets.pop_back();
    } else {
        toc.leadOut = toc.offsets.back() + FramesOfMsf(lastLengthMsf) + 1;
    }
    return toc;
}

static void AppendHex(uint32_t value, int digits, std::string* text) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        *text += "0123456789ABCDEF"[(value >> shift) & 15];
}

std::string LookupIdText(const LookupToc& toc) {
    std::string text;
    AppendHex(uint32_t(toc.first), 2, &text);
    AppendHex(uint32_t(toc.last), 2, &text);
    AppendHex(toc.leadOut, 8, &text);
    for (size_t i = 0; i < 99; i++)
        AppendHex(i < toc.offsets.size() ? toc.offsets[i] : 0, 8, &text);
    return text;
}

std::string EncodeLookupId(const uint8_t digest[20]) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._";
    std::string id;
    for (int i = 0; i < 20; i += 3) {
        uint32_t group = uint32_t(digest[i]) << 16 | (i + 1 < 20 ? digest[i + 1] << 8 : 0) |
                         (i + 2 < 20 ? digest[i + 2] : 0);
        int present = i + 2 < 20 ? 4 : 3;  // 20 bytes: the last group holds two
        for (int k = 0; k < 4; k++)
            id += k < present ? kDigits[(group >> (18 - 6 * k)) & 63] : '-';
    }
    return id;
}

std::string LookupDiscId(const LookupToc& toc) {
    std::string text = LookupIdText(toc);
    uint8_t digest[20] = {};
    DWORD size = sizeof(digest);
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    bool done = CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
                CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash) &&
                CryptHashData(hash, (const BYTE*)text.data(), (DWORD)text.size(), 0) &&
                CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0) && size == sizeof(digest);
    if (hash)
        CryptDestroyHash(hash);
    if (provider)
        CryptReleaseContext(provider, 0);
    return done ? EncodeLookupId(digest) : std::string();
}

std::string LookupTocText(const LookupToc& toc) {
    std::string text = std::to_string(toc.first) + "+" + std::to_string(toc.last) + "+" + std::to_string(toc.leadOut);
    for (uint32_t offset : toc.offsets)
        text += "+" + std::to_string(offset);
    return text;
}
