#include "compression/DeflateFile.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/FileIo.h"

namespace tarnwerk {

namespace {

constexpr size_t kPieceBytes = size_t{1} << 20;
constexpr int32_t kPercentDone = 100;

struct StreamCloser {
    void operator()(z_stream* stream) const { deflateEnd(stream); }
};

// Runs deflate over the input now in stream until it wants more (or, with Z_FINISH, ends).
Result<int64_t> Drain(z_stream& stream, int flush, std::vector<uint8_t>& out, const DeflateSink& sink) {
    int64_t produced = 0;
    int code = Z_OK;
    do {
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        code = deflate(&stream, flush);
        if (code == Z_STREAM_ERROR) return MakeError(ErrorCode::Internal);
        const size_t have = out.size() - stream.avail_out;
        if (have > 0) {
            if (Status sent = sink(out.data(), have); !sent) return sent.error();
            produced += static_cast<int64_t>(have);
        }
    } while (stream.avail_out == 0 || (flush == Z_FINISH && code != Z_STREAM_END));
    return produced;
}

}  // namespace

Result<int64_t> DeflateFile(int fd, int64_t length, const std::string& path, int level, const DeflateSink& sink,
                            const DeflateProgress& progress) {
    z_stream stream{};
    if (const int code = deflateInit(&stream, level); code != Z_OK) return MakeError(ErrorCode::Internal);
    const std::unique_ptr<z_stream, StreamCloser> closer(&stream);
    std::vector<uint8_t> in(static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(length, 1), kPieceBytes)));
    std::vector<uint8_t> out(kPieceBytes);
    int64_t produced = 0;
    for (int64_t done = 0;;) {
        const size_t piece = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(in.size()), length - done));
        if (auto read = ReadExactly(fd, in.data(), piece, path); !read) return read.error();
        done += static_cast<int64_t>(piece);
        stream.next_in = in.data();
        stream.avail_in = static_cast<uInt>(piece);
        const int flush = done == length ? Z_FINISH : Z_NO_FLUSH;
        auto drained = Drain(stream, flush, out, sink);
        if (!drained) return drained.error();
        produced += *drained;
        if (progress) progress(static_cast<int32_t>(length == 0 ? kPercentDone : done * kPercentDone / length));
        if (flush == Z_FINISH) return produced;
    }
}

}  // namespace tarnwerk
