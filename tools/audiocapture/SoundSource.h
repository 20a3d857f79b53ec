#pragma once
// Where the capture program's samples come from: the sound server's monitor of the default output,
// or a WAV file played at its own pace. Samples reach the sink on the source's own thread.
#include <functional>
#include <span>
#include <string>

class ISoundSource {
public:
    using SampleSink = std::function<void(std::span<const float>)>;
    virtual ~ISoundSource() = default;
    // Starts delivering samples; false with a reason when it cannot.
    virtual bool Open(const SampleSink& sink, std::string& error) = 0;
    // Stops; once it returns the sink is not called again.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Called about once a second from the main thread: a lost server connection is retried here.
    virtual void Maintain() {}
    // For the log: what is being captured.
    virtual std::string Describe() const = 0;
};
