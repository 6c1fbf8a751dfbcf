#include "workbook/ChunkedDeflater.h"

#include "base/Error.h"

#include <algorithm>
#include <new>
#include <system_error>

#include <zlib.h>

namespace tabulix {

struct TChunkedDeflater::TJob {
    std::string Dictionary; // the bytes written just before the chunk, at most a window's worth
    std::string In;
    std::string Out;
    bool Last = false;
    bool Done = false;
    bool Failed = false;
};

namespace {

constexpr size_t WindowSize = size_t(1) << MAX_WBITS;

// A raw deflate stream that deflates one job at a time.
class TJobDeflater {
public:
    explicit TJobDeflater(int level) {
        if (deflateInit2(&FStream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::bad_alloc();
    }
    ~TJobDeflater() { deflateEnd(&FStream); }
    TJobDeflater(const TJobDeflater&) = delete;
    TJobDeflater& operator=(const TJobDeflater&) = delete;

    // The job's data, ending on a byte boundary, or ending the stream when the job is the last; false
    // when zlib fails.
    bool Deflate(const std::string& dictionary, const std::string& in, std::string& out, bool last) {
        if (deflateReset(&FStream) != Z_OK) return false;
        if (!dictionary.empty() &&
            deflateSetDictionary(&FStream, reinterpret_cast<const Bytef*>(dictionary.data()), uInt(dictionary.size())) != Z_OK) {
            return false;
        }
        const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
        FStream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        FStream.avail_in = uInt(in.size());
        size_t used = 0;
        out.resize(std::max<size_t>(in.size() / 4, 4096));
        for (;;) {
            FStream.next_out = reinterpret_cast<Bytef*>(out.data() + used);
            FStream.avail_out = uInt(out.size() - used);
            const int status = deflate(&FStream, flush);
            used = out.size() - FStream.avail_out;
            if (status == Z_STREAM_END) break;
            if (status != Z_OK && status != Z_BUF_ERROR) return false;
            // A sync flush is complete once zlib had room left over for it.
            if (flush == Z_SYNC_FLUSH && FStream.avail_in == 0 && FStream.avail_out > 0) break;
            if (FStream.avail_out == 0) out.resize(out.size() * 2);
        }
        out.resize(used);
        return true;
    }

private:
    z_stream FStream{};
};

} // namespace

TChunkedDeflater::TChunkedDeflater(int level, unsigned threads, size_t expectedSize)
    : FLevel(level), FThreads(std::max(threads, 1u)), FCurrent(std::make_unique<TJob>()) {
    FResult.reserve(expectedSize);
}

TChunkedDeflater::~TChunkedDeflater() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FWorkWaiting.notify_all();
    for (std::thread& worker : FWorkers) worker.join();
}

void TChunkedDeflater::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        if (FCurrent->In.size() == ChunkSize) Submit();
        if (FCurrent->In.capacity() < ChunkSize) FCurrent->In.reserve(std::min(ChunkSize, FCurrent->In.size() + bytes.size()));
        const size_t taken = std::min(bytes.size(), ChunkSize - FCurrent->In.size());
        FCurrent->In.append(bytes.data(), taken);
        bytes.remove_prefix(taken);
    }
}

void TChunkedDeflater::Submit() {
    // The next chunk's dictionary is taken now, while the chunk before it is certainly still here.
    std::unique_ptr<TJob> next;
    if (FIdle.empty()) {
        next = std::make_unique<TJob>();
    } else {
        next = std::move(FIdle.back());
        FIdle.pop_back();
    }
    const std::string& in = FCurrent->In;
    const size_t dictionary = std::min(in.size(), WindowSize);
    next->Dictionary.assign(in, in.size() - dictionary, dictionary);
    next->In.clear();
    next->Last = next->Done = next->Failed = false;

    std::unique_lock<std::mutex> lock(FLock);
    Enqueue(std::move(FCurrent), lock);
    FCurrent = std::move(next);
    // A writer faster than the workers waits for the oldest chunk rather than keep every chunk.
    while (FInFlight.size() > FThreads + 1 || (!FInFlight.empty() && FInFlight.front()->Done)) TakeOldest(lock);
}

void TChunkedDeflater::Enqueue(std::unique_ptr<TJob> job, std::unique_lock<std::mutex>& lock) {
    TJob& queued = *job;
    FInFlight.push_back(std::move(job));
    if (!FSubmitted) {
        FSubmitted = true;
        try {
            for (unsigned n = 0; n < FThreads; ++n) FWorkers.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // The system gives no more threads: those that started do the work, or else this one.
        }
    }
    if (!FWorkers.empty()) {
        FQueue.push_back(&queued);
        FWorkWaiting.notify_one();
        return;
    }
    lock.unlock();
    TJobDeflater deflater(FLevel);
    const bool deflated = deflater.Deflate(queued.Dictionary, queued.In, queued.Out, queued.Last);
    lock.lock();
    queued.Failed = !deflated;
    queued.Done = true;
}

void TChunkedDeflater::TakeOldest(std::unique_lock<std::mutex>& lock) {
    TJob& oldest = *FInFlight.front();
    FJobDone.wait(lock, [&] { return oldest.Done; });
    if (oldest.Failed) throw TTabulixError(u"Could not compress a part of the workbook.");
    FResult.append(oldest.Out);
    FIdle.push_back(std::move(FInFlight.front()));
    FInFlight.pop_front();
}

void TChunkedDeflater::Work() {
    std::unique_ptr<TJobDeflater> deflater;
    try {
        deflater = std::make_unique<TJobDeflater>(FLevel);
    } catch (...) {
        // Without a stream of its own the worker fails every job it takes.
    }
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FWorkWaiting.wait(lock, [&] { return FStopping || !FQueue.empty(); });
        if (FStopping) return;
        TJob& job = *FQueue.front();
        FQueue.pop_front();
        lock.unlock();
        bool deflated = false;
        try {
            deflated = deflater && deflater->Deflate(job.Dictionary, job.In, job.Out, job.Last);
        } catch (...) {
        }
        lock.lock();
        job.Failed = !deflated;
        job.Done = true;
        FJobDone.notify_all();
    }
}

std::string TChunkedDeflater::Finish() {
    FCurrent->Last = true;
    if (!FSubmitted) {
        // Never more than one chunk: deflated here, as a single stream.
        TJobDeflater deflater(FLevel);
        if (!deflater.Deflate(FCurrent->Dictionary, FCurrent->In, FCurrent->Out, true)) {
            throw TTabulixError(u"Could not compress a part of the workbook.");
        }
        return std::move(FCurrent->Out);
    }
    {
        std::unique_lock<std::mutex> lock(FLock);
        Enqueue(std::move(FCurrent), lock);
        while (!FInFlight.empty()) TakeOldest(lock);
    }
    return std::move(FResult);
}

} // namespace tabulix
