#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tabulix {

// Deflates one stream in chunks on worker threads while its bytes are still being written. Each chunk
// is deflated on its own, with the 32 KiB written before it as its dictionary, and all but the last end
// on a byte boundary (a sync flush), so that the chunks' data joined in order is one raw deflate stream
// that any reader inflates as usual, hardly larger than deflating it whole. At most a few chunks wait
// at a time: a writer faster than the workers waits for the oldest. A stream no longer than one chunk
// is deflated on the calling thread, and no thread is started for it.
class TChunkedDeflater {
public:
    // expectedSize: about how many bytes the deflated stream will take, reserved up front.
    TChunkedDeflater(int level, unsigned threads, size_t expectedSize = 0);
    ~TChunkedDeflater();
    TChunkedDeflater(const TChunkedDeflater&) = delete;
    TChunkedDeflater& operator=(const TChunkedDeflater&) = delete;

    void Write(std::string_view bytes);
    // The whole deflated stream; the deflater takes no more bytes afterwards. Throws TTabulixError
    // when zlib fails.
    std::string Finish();

    static constexpr size_t ChunkSize = 1 << 18;

private:
    struct TJob;

    void Submit();
    // Hands the job to the workers, starting them with the first job; where none could be started,
    // deflates it here.
    void Enqueue(std::unique_ptr<TJob> job, std::unique_lock<std::mutex>& lock);
    void Work();
    // Appends the oldest job's data to the result once it is done and keeps the job for reuse.
    void TakeOldest(std::unique_lock<std::mutex>& lock);

    const int FLevel;
    const unsigned FThreads;
    std::unique_ptr<TJob> FCurrent;          // the chunk being written
    std::string FResult;                     // the finished chunks' data, in order
    std::vector<std::unique_ptr<TJob>> FIdle; // finished jobs whose buffers are reused
    std::deque<std::unique_ptr<TJob>> FInFlight; // submitted, oldest first
    std::deque<TJob*> FQueue;                // submitted and not yet taken by a worker
    std::vector<std::thread> FWorkers;
    std::mutex FLock;
    std::condition_variable FWorkWaiting, FJobDone;
    bool FStopping = false;
    bool FSubmitted = false; // a chunk went to the workers: the stream is the chunks' data joined
};

} // namespace tabulix
