// The least a sound client costs while it plays silence: one stereo output whose callback
// only clears its buffers, either straight on libjack ("jack") or through PortAudio's JACK
// host API with the program's own stream format ("portaudio": 16-bit stereo, 256 frames).
// With "fifo", the callback thread is moved to SCHED_FIFO at the priority the program gives
// its audio thread, as the program does. Runs until SIGINT or SIGTERM. Nothing else runs:
// no timers, no other threads of ours.
//
//   quillmix-idle-baseline jack|portaudio [fifo]

#include <jack/jack.h>
#include <portaudio.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
bool fifoWanted = false;
std::atomic<long> callbackThread{0};  // kernel id, told by the first callback

void onSignal(int) { stopRequested = 1; }

// Audio thread: one system call, on the first callback only.
void noteCallbackThread() {
    if (callbackThread.load(std::memory_order_relaxed) == 0)
        callbackThread.store(syscall(SYS_gettid), std::memory_order_relaxed);
}

void waitForSignal() {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (fifoWanted && !stopRequested && callbackThread.load() == 0) usleep(20000);
    if (fifoWanted && callbackThread.load() != 0) {
        sched_param param{};
        param.sched_priority = 40;
        if (sched_setscheduler(static_cast<pid_t>(callbackThread.load()), SCHED_FIFO, &param) != 0)
            std::perror("sched_setscheduler");
    }
    while (!stopRequested) pause();
    alarm(2);  // a close that waits on a server already gone ends the process instead
}

struct JackOutputs {
    jack_port_t* port[2] = {nullptr, nullptr};
};

// JACK's process thread: silence into both ports.
int jackProcess(jack_nframes_t frames, void* arg) {
    noteCallbackThread();
    auto* outputs = static_cast<JackOutputs*>(arg);
    for (jack_port_t* port : outputs->port)
        std::memset(jack_port_get_buffer(port, frames), 0, frames * sizeof(jack_default_audio_sample_t));
    return 0;
}

int runJack() {
    jack_client_t* client = jack_client_open("idle-baseline", JackNoStartServer, nullptr);
    if (!client) {
        std::fprintf(stderr, "no JACK server\n");
        return 1;
    }
    JackOutputs outputs;
    outputs.port[0] = jack_port_register(client, "out_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    outputs.port[1] = jack_port_register(client, "out_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(client, jackProcess, &outputs);
    if (jack_activate(client) != 0) return 1;
    // Connected like a player would be, so that the server's graph does the same work.
    jack_connect(client, jack_port_name(outputs.port[0]), "system:playback_1");
    jack_connect(client, jack_port_name(outputs.port[1]), "system:playback_2");
    waitForSignal();
    jack_deactivate(client);
    jack_client_close(client);
    return 0;
}

// PortAudio's audio thread: silence.
int paProcess(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
              PaStreamCallbackFlags, void*) {
    noteCallbackThread();
    std::memset(output, 0, frames * 2 * sizeof(short));
    return paContinue;
}

int runPortAudio() {
    if (Pa_Initialize() != paNoError) return 1;
    const PaHostApiIndex api = Pa_HostApiTypeIdToHostApiIndex(paJACK);
    if (api < 0) {
        std::fprintf(stderr, "PortAudio has no JACK host API here\n");
        Pa_Terminate();
        return 1;
    }
    PaStreamParameters p{};
    p.device = Pa_GetHostApiInfo(api)->defaultOutputDevice;
    p.channelCount = 2;
    p.sampleFormat = paInt16;
    p.suggestedLatency = Pa_GetDeviceInfo(p.device)->defaultLowOutputLatency;
    PaStream* stream = nullptr;
    if (Pa_OpenStream(&stream, nullptr, &p, 44100, 256, paClipOff, paProcess, nullptr) != paNoError ||
        Pa_StartStream(stream) != paNoError) {
        std::fprintf(stderr, "the JACK stream did not open\n");
        Pa_Terminate();
        return 1;
    }
    waitForSignal();
    Pa_AbortStream(stream);
    Pa_CloseStream(stream);
    Pa_Terminate();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    fifoWanted = argc > 2 && std::string(argv[2]) == "fifo";
    if (mode == "jack") return runJack();
    if (mode == "portaudio") return runPortAudio();
    std::fprintf(stderr, "usage: quillmix-idle-baseline jack|portaudio [fifo]\n");
    return 2;
}
