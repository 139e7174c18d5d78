// tests/audio/sound_files.cpp - writing WAV and Ogg Vorbis files for the tests.
#include "sound_files.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

std::string U16(unsigned value) {
    std::string s(2, '\0');
    s[0] = static_cast<char>(value & 0xff);
    s[1] = static_cast<char>(value >> 8 & 0xff);
    return s;
}

std::string U32(uint32_t value) { return U16(value & 0xffff) + U16(value >> 16); }

std::string Chunk(const std::string& tag, const std::string& body) {
    std::string c = tag + U32(static_cast<uint32_t>(body.size())) + body;
    if (body.size() & 1) c += '\0';
    return c;
}

std::string FmtBody(unsigned audioFormat, unsigned channels, uint32_t hertz, unsigned bits, int extra) {
    unsigned blockAlign = channels * ((bits + 7) / 8);
    std::string body = U16(audioFormat) + U16(channels) + U32(hertz) + U32(hertz * blockAlign) + U16(blockAlign) +
                       U16(bits);
    return body + std::string(static_cast<size_t>(extra), '\x5a');
}

std::string Riff(const std::vector<std::string>& chunks) {
    std::string all = "WAVE";
    for (const std::string& c : chunks) all += c;
    return "RIFF" + U32(static_cast<uint32_t>(all.size())) + all;
}

std::string PcmWav(unsigned channels, uint32_t hertz, unsigned bits, const std::string& samples) {
    return Riff({Chunk("fmt ", FmtBody(1, channels, hertz, bits)), Chunk("data", samples)});
}

std::string SineSamples16(int frames, int channels, int hertz, double frequency, double amplitude) {
    std::string s;
    for (int i = 0; i < frames; ++i) {
        int v = static_cast<int>(std::lround(amplitude * 32767 * std::sin(2 * M_PI * frequency * i / hertz)));
        for (int c = 0; c < channels; ++c) s += U16(static_cast<unsigned>(v) & 0xffff);
    }
    return s;
}

// ---------------------------------------------------------------------------
// Ogg Vorbis
// ---------------------------------------------------------------------------

namespace {

void append_page(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

// Moves every finished block through the encoder into pages.
void drain(vorbis_dsp_state& vd, vorbis_block& vb, ogg_stream_state& os, std::string& out) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
        vorbis_analysis(&vb, nullptr);
        vorbis_bitrate_addblock(&vb);
        while (vorbis_bitrate_flushpacket(&vd, &packet)) {
            ogg_stream_packetin(&os, &packet);
            while (ogg_stream_pageout(&os, &page)) append_page(out, page);
        }
    }
}

}  // namespace

std::string EncodeOggSine(int frames, int channels, int hertz, double frequency) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, hertz, 0.4f) != 0) throw std::runtime_error("vorbisenc init failed");
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 12345);

    std::string out;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page)) append_page(out, page);

    const int kBlock = 1024;
    for (int done = 0; done < frames; done += kBlock) {
        int n = frames - done < kBlock ? frames - done : kBlock;
        float** buffer = vorbis_analysis_buffer(&vd, n);
        for (int i = 0; i < n; ++i) {
            float v = static_cast<float>(0.5 * std::sin(2 * M_PI * frequency * (done + i) / hertz));
            for (int c = 0; c < channels; ++c) buffer[c][i] = v;
        }
        vorbis_analysis_wrote(&vd, n);
        drain(vd, vb, os, out);
    }
    vorbis_analysis_wrote(&vd, 0);
    drain(vd, vb, os, out);
    while (ogg_stream_flush(&os, &page)) append_page(out, page);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

std::vector<size_t> OggPageOffsets(const std::string& ogg) {
    std::vector<size_t> offsets;
    size_t pos = 0;
    while (pos + 27 <= ogg.size() && ogg.compare(pos, 4, "OggS") == 0) {
        size_t segments = static_cast<unsigned char>(ogg[pos + 26]);
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i) body += static_cast<unsigned char>(ogg[pos + 27 + i]);
        offsets.push_back(pos);
        pos += 27 + segments + body;
    }
    return offsets;
}

void FixOggChecksums(std::string& ogg) {
    std::vector<size_t> offsets = OggPageOffsets(ogg);
    for (size_t k = 0; k < offsets.size(); ++k) {
        size_t pos = offsets[k];
        size_t end = k + 1 < offsets.size() ? offsets[k + 1] : ogg.size();
        ogg_page page;
        page.header = reinterpret_cast<unsigned char*>(&ogg[pos]);
        page.header_len = 27 + static_cast<unsigned char>(ogg[pos + 26]);
        page.body = page.header + page.header_len;
        page.body_len = static_cast<long>(end - pos) - page.header_len;
        ogg_page_checksum_set(&page);
    }
}

// ---------------------------------------------------------------------------
// Streams and statistics
// ---------------------------------------------------------------------------

FILE* OpenBytes(const std::string& bytes) {
    // fmemopen refuses a zero-sized buffer: an empty file is a real one.
    if (bytes.empty()) return std::tmpfile();
    return fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
}

double Rms16(const unsigned char* samples, long count) {
    double sum = 0;
    for (long i = 0; i < count; ++i) {
        int16_t v = static_cast<int16_t>(samples[2 * i] | samples[2 * i + 1] << 8);
        sum += static_cast<double>(v) * v;
    }
    return count ? std::sqrt(sum / count) : 0;
}

int ZeroCrossings16(const unsigned char* samples, int frames, int channels, int channel) {
    int crossings = 0;
    int previous = 0;
    for (int i = 0; i < frames; ++i) {
        long at = 2L * (static_cast<long>(i) * channels + channel);
        int16_t v = static_cast<int16_t>(samples[at] | samples[at + 1] << 8);
        int sign = v > 0 ? 1 : v < 0 ? -1 : 0;
        if (sign != 0 && previous != 0 && sign != previous) ++crossings;
        if (sign != 0) previous = sign;
    }
    return crossings;
}
