#include "services/RunLoop.hpp"

#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include <sys/uio.h>

namespace drawlume {

RunLoop::WatchId RunLoop::watchReads(int fd, size_t slotSize, size_t slotCount,
                                     ReadHandler onRead) {
    struct Reads {
        std::vector<uint8_t> buffer;
        std::vector<iovec> slots;
        ReadHandler onRead;
    };
    auto reads = std::make_shared<Reads>();
    reads->buffer.resize(slotSize * slotCount);
    for (size_t i = 0; i < slotCount; ++i) {
        reads->slots.push_back({reads->buffer.data() + i * slotSize, slotSize});
    }
    reads->onRead = std::move(onRead);
    return watchReadable(fd, [fd, reads] {
        ssize_t length = 0;
        do {
            length = ::readv(fd, reads->slots.data(), static_cast<int>(reads->slots.size()));
        } while (length < 0 && errno == EINTR);
        if (length < 0) {
            const int error = errno;
            if (error != EAGAIN && error != EWOULDBLOCK) {
                reads->onRead({}, error);
            }
            return;
        }
        reads->onRead({reads->buffer.data(), static_cast<size_t>(length)}, 0);
    });
}

}  // namespace drawlume
