// tools/assetgen/writers.cpp - PNG, WAV and Ogg Vorbis output.
#include "writers.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "png_encode.h"

namespace assetgen {

bool MakeParentDirs(const std::string& path) {
    std::error_code ec;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (ec) {
        std::fprintf(stderr, "assetgen: cannot create %s: %s\n", parent.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

int16_t ToPcm16(float v) {
    float s = std::round(v * 32767.0f);
    if (s > 32767.0f) s = 32767.0f;
    if (s < -32768.0f) s = -32768.0f;
    return static_cast<int16_t>(s);
}

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (!MakeParentDirs(path)) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "assetgen: cannot open %s for writing\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace

bool WritePngRgba(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> png = EncodePng(width, height, rgba);
    if (png.empty()) {
        std::fprintf(stderr, "assetgen: cannot encode %s (%d x %d)\n", path.c_str(), width, height);
        return false;
    }
    return WriteBytes(path, png);
}

bool WritePng(const std::string& path, const Canvas& canvas) {
    return WritePngRgba(path, canvas.Width(), canvas.Height(), canvas.ToRgba8());
}

bool WriteWav(const std::string& path, const std::vector<float>& samples, int channels, int hertz) {
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutLe(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);  // PCM
    PutLe(out, channels, 2);
    PutLe(out, hertz, 4);
    PutLe(out, hertz * channels * 2, 4);
    PutLe(out, channels * 2, 2);
    PutLe(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLe(out, dataBytes, 4);
    for (float s : samples) PutLe(out, static_cast<uint16_t>(ToPcm16(s)), 2);
    return WriteBytes(path, out);
}

bool WriteOggVorbis(const std::string& path, const std::vector<float>& stereo, int hertz, float quality) {
    return WriteOggVorbis(path, stereo, 2, hertz, quality, "Firstlight");
}

bool WriteOggVorbis(const std::string& path, const std::vector<float>& samples, int channels, int hertz, float quality,
                    const std::string& title) {
    if (channels < 1 || samples.size() % channels != 0) {
        std::fprintf(stderr, "assetgen: %s: %zu samples do not make whole frames of %d channels\n", path.c_str(),
                     samples.size(), channels);
        return false;
    }
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, hertz, quality) != 0) {
        std::fprintf(stderr, "assetgen: vorbis encoder refused its settings\n");
        vorbis_info_clear(&vi);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    if (!title.empty()) vorbis_comment_add_tag(&vc, "TITLE", title.c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x4C616E74);  // fixed serial number: the output is reproducible

    std::vector<uint8_t> out;
    auto takePage = [&out](const ogg_page& og) {
        out.insert(out.end(), og.header, og.header + og.header_len);
        out.insert(out.end(), og.body, og.body + og.body_len);
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page og;
    while (ogg_stream_flush(&os, &og)) takePage(og);

    const long frames = static_cast<long>(samples.size() / channels);
    const long chunk = 4096;
    long pos = 0;
    bool eos = false;
    while (!eos) {
        long n = std::min(chunk, frames - pos);
        if (n > 0) {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c) buf[c][i] = samples[(pos + i) * channels + c];
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            pos += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) {
                    takePage(og);
                    if (ogg_page_eos(&og)) eos = true;
                }
            }
        }
        if (n <= 0 && !eos) {
            while (ogg_stream_flush(&os, &og)) {
                takePage(og);
                if (ogg_page_eos(&og)) eos = true;
            }
            eos = true;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return WriteBytes(path, out);
}

}  // namespace assetgen
