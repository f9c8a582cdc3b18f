// SPDX-License-Identifier: GPL-2.0-or-later
// Times any reader program by what the screen shows, so that readers that share no code with
// ours are measured alike. Starts the program, samples the whole screen of the X display every
// few milliseconds and takes the time of the last state never seen before in this measurement,
// once no new state has come for a quiet period and the program has stopped working. Then, in
// order, sends keys and times the screen the same way, or pages through the document and sums the
// memory of the program and of every process under it.
//
//   quillmoor-bench-screen [OPTION...] -- PROGRAM [ARGUMENT...]
//     --quiet-ms MS       the screen has settled after MS without a new state (2000)
//     --cap-s S           a wait for the screen to settle that lasts S seconds fails (30)
//     --every-ms MS       how often the screen is sampled (4)
//     --keys NAME KEYS    once settled, sends KEYS and prints NAME_ms; may be given again
//     --page-through MAX  once settled, presses Page_Down until a press changes nothing (at most
//                         MAX times), then End, and prints memory_mib once settled again
//     --shots PREFIX      writes the settled screen of each step as a PNG: PREFIX-start.png,
//                         PREFIX-NAME.png after keys, PREFIX-last.png after paging through
//     --trace             prints the time of every new state on stderr
//
// KEYS are typed as written; a key or a chord in angle brackets is one key: "<ctrl+f>Chapter
// 500<Return>", "<End>". They are sent back to back, but "<wait>" waits, as a user would, for
// the screen to show something new (a search field opened) before the keys after it. The time
// runs from the first key.
// Prints "name value" lines (start_ms first), then kills the program's process group and waits.
// Built only where the X11, MIT-SHM and XTest libraries are found (bench/peers.sh installs them).

#include <QImage>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/prctl.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

pid_t reader = 0;
bool tracing = false;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void report(const std::string &name, double value)
{
    std::printf("%s %.1f\n", name.c_str(), value);
    std::fflush(stdout);
}

struct Process {
    pid_t pid;
    long long ticks; // processor time used, user and system
};

// Every process under this one: as a subreaper it also inherits those whose parent left.
std::vector<Process> descendants()
{
    std::multimap<pid_t, Process> children;
    if (DIR *proc = opendir("/proc")) {
        while (const dirent *entry = readdir(proc)) {
            const pid_t pid = std::atoi(entry->d_name);
            if (pid <= 0)
                continue;
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string line;
            std::getline(stat, line);
            // The name in parentheses may hold spaces: the fields are counted after it.
            const size_t end = line.rfind(')');
            if (end == std::string::npos)
                continue;
            int parent = 0;
            long long user = 0, system = 0;
            if (std::sscanf(line.c_str() + end + 1,
                            " %*c %d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lld %lld", &parent, &user,
                            &system) == 3)
                children.emplace(parent, Process{pid, user + system});
        }
        closedir(proc);
    }
    std::vector<Process> found;
    std::vector<pid_t> next{getpid()};
    while (!next.empty()) {
        const pid_t parent = next.back();
        next.pop_back();
        const auto range = children.equal_range(parent);
        for (auto child = range.first; child != range.second; ++child) {
            found.push_back(child->second);
            next.push_back(child->second.pid);
        }
    }
    return found;
}

// The processor time the program's processes have used, in ms.
double cpuMs()
{
    static const double msPerTick = 1000.0 / sysconf(_SC_CLK_TCK);
    long long ticks = 0;
    for (const Process &process : descendants())
        ticks += process.ticks;
    return ticks * msPerTick;
}

// The proportional set size of a process in KiB: shared pages are split among their users, so
// the sum over a reader's processes is what the reader takes.
long long pssKib(pid_t pid)
{
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    while (std::getline(rollup, line)) {
        if (line.rfind("Pss:", 0) == 0)
            return std::atoll(line.c_str() + 4);
    }
    return 0;
}

bool anyChildLeft()
{
    for (;;) {
        const pid_t pid = waitpid(-1, nullptr, WNOHANG);
        if (pid > 0)
            continue;
        return pid == 0;
    }
}

// Ends the reader's process group and anything else it left behind, politely first.
void stopReader()
{
    if (reader <= 0)
        return;
    kill(-reader, SIGTERM);
    for (const Process &process : descendants())
        kill(process.pid, SIGTERM);
    const Clock::time_point asked = Clock::now();
    while (anyChildLeft() && msBetween(asked, Clock::now()) < 3000)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(-reader, SIGKILL);
    for (const Process &process : descendants())
        kill(process.pid, SIGKILL);
    while (waitpid(-1, nullptr, 0) > 0) {
    }
    reader = 0;
}

[[noreturn]] void fail(const char *format, ...)
{
    std::fputs("quillmoor-bench-screen: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    stopReader();
    std::exit(1);
}

// A 64-bit hash of a screen, in four lanes so that the multiplications need not wait on each
// other: a sample is hashed well within the few milliseconds between samples.
uint64_t hashOf(const char *data, size_t size)
{
    constexpr uint64_t prime1 = 0x9e3779b185ebca87ULL;
    constexpr uint64_t prime2 = 0xc2b2ae3d27d4eb4fULL;
    uint64_t lanes[4] = {prime1, prime2, prime1 ^ prime2, ~prime1};
    size_t at = 0;
    for (; at + 32 <= size; at += 32) {
        for (int lane = 0; lane < 4; ++lane) {
            uint64_t word;
            std::memcpy(&word, data + at + 8 * lane, 8);
            lanes[lane] += word * prime2;
            lanes[lane] = (lanes[lane] << 31 | lanes[lane] >> 33) * prime1;
        }
    }
    uint64_t hash = size;
    for (const uint64_t lane : lanes)
        hash = (hash ^ lane) * prime1 + prime2;
    for (; at < size; ++at)
        hash = (hash ^ static_cast<unsigned char>(data[at])) * prime1;
    return hash ^ hash >> 29;
}

// The screen of the X display, sampled through shared memory, and its keyboard.
class ScreenWatch
{
public:
    ScreenWatch()
    {
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            fail("cannot open the X display %s", std::getenv("DISPLAY"));
        int event, error, major, minor;
        if (!XShmQueryExtension(m_display))
            fail("the X display has no MIT-SHM");
        if (!XTestQueryExtension(m_display, &event, &error, &major, &minor))
            fail("the X display has no XTest");
        const int screen = DefaultScreen(m_display);
        m_root = RootWindow(m_display, screen);
        m_image = XShmCreateImage(
            m_display, DefaultVisual(m_display, screen), DefaultDepth(m_display, screen), ZPixmap,
            nullptr, &m_shm, DisplayWidth(m_display, screen), DisplayHeight(m_display, screen));
        if (!m_image || m_image->bits_per_pixel != 32)
            fail("the X display is not of 32-bit pixels");
        m_size = size_t(m_image->bytes_per_line) * m_image->height;
        m_shm.shmid = shmget(IPC_PRIVATE, m_size, IPC_CREAT | 0600);
        if (m_shm.shmid < 0)
            fail("no shared memory for the screen");
        m_shm.shmaddr = m_image->data = static_cast<char *>(shmat(m_shm.shmid, nullptr, 0));
        m_shm.readOnly = False;
        XShmAttach(m_display, &m_shm);
        XSync(m_display, False);
        // Gone with the last detach, even if this program is killed.
        shmctl(m_shm.shmid, IPC_RMID, nullptr);
        m_last.resize(m_size);
    }

    ~ScreenWatch()
    {
        XShmDetach(m_display, &m_shm);
        XDestroyImage(m_image); // frees nothing of the segment, which is ours
        shmdt(m_shm.shmaddr);
        XCloseDisplay(m_display);
    }

    // A new measurement: only what is on the screen now has been seen.
    void forget()
    {
        take();
        std::memcpy(m_last.data(), m_image->data, m_size);
        m_seen.clear();
        m_seen.insert(hashOf(m_image->data, m_size));
    }

    // Samples the screen: whether it shows a state not seen before in this measurement. A change
    // within a thin upright strip is a text cursor blinking: its screen with the cursor hidden
    // would be new each time the rest changes, and would count the blink as the reader's work.
    bool sample()
    {
        take();
        if (std::memcmp(m_last.data(), m_image->data, m_size) == 0)
            return false;
        const bool blink = cursorOnly();
        std::memcpy(m_last.data(), m_image->data, m_size);
        return m_seen.insert(hashOf(m_image->data, m_size)).second && !blink;
    }

    // Sends every key of `keys` (see the top of the file), waiting at each "<wait>" for a new
    // state or `patience`, whichever comes first.
    void send(const std::string &keys, std::chrono::milliseconds patience)
    {
        for (size_t at = 0; at < keys.size(); ++at) {
            if (keys[at] != '<') {
                press({}, static_cast<unsigned char>(keys[at]));
                continue;
            }
            const size_t end = keys.find('>', at);
            if (end == std::string::npos)
                fail("no '>' after '<' in %s", keys.c_str());
            std::string chord = keys.substr(at + 1, end - at - 1);
            at = end;
            if (chord == "wait") {
                waitForNew(patience);
                continue;
            }
            std::vector<KeySym> modifiers;
            for (size_t plus; (plus = chord.find('+')) != std::string::npos && plus > 0;) {
                const std::string modifier = chord.substr(0, plus);
                chord.erase(0, plus + 1);
                if (modifier == "ctrl")
                    modifiers.push_back(XK_Control_L);
                else if (modifier == "shift")
                    modifiers.push_back(XK_Shift_L);
                else if (modifier == "alt")
                    modifiers.push_back(XK_Alt_L);
                else
                    fail("unknown modifier %s", modifier.c_str());
            }
            const KeySym key = XStringToKeysym(chord.c_str());
            if (key == NoSymbol)
                fail("unknown key %s", chord.c_str());
            press(modifiers, key);
        }
        XSync(m_display, False);
    }

    void writePng(const char *path)
    {
        const QImage shot(reinterpret_cast<const uchar *>(m_last.data()), m_image->width,
                          m_image->height, m_image->bytes_per_line, QImage::Format_RGB32);
        if (!shot.save(QString::fromLocal8Bit(path), "PNG"))
            fail("cannot write %s", path);
    }

private:
    void waitForNew(std::chrono::milliseconds patience)
    {
        XSync(m_display, False);
        const Clock::time_point asked = Clock::now();
        while (!sample() && Clock::now() - asked < patience)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    void take()
    {
        if (!XShmGetImage(m_display, m_root, m_image, 0, 0, AllPlanes))
            fail("cannot read the screen");
    }

    bool cursorOnly() const
    {
        const int stride = m_image->bytes_per_line;
        int left = m_image->width, right = -1, top = -1, bottom = -1;
        for (int y = 0; y < m_image->height; ++y) {
            const char *now = m_image->data + size_t(y) * stride;
            const char *before = m_last.data() + size_t(y) * stride;
            if (std::memcmp(now, before, stride) == 0)
                continue;
            if (top < 0)
                top = y;
            bottom = y;
            for (int x = 0; x < m_image->width; ++x) {
                if (std::memcmp(now + 4 * x, before + 4 * x, 4) != 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return right - left < 3 && bottom - top < 64;
    }

    void press(const std::vector<KeySym> &modifiers, KeySym key)
    {
        const KeyCode code = XKeysymToKeycode(m_display, key);
        if (code == 0)
            fail("no key gives %s", XKeysymToString(key));
        std::vector<KeyCode> held;
        for (const KeySym modifier : modifiers)
            held.push_back(XKeysymToKeycode(m_display, modifier));
        // A capital or a sign of the upper row is typed with Shift, as on a keyboard.
        if (XkbKeycodeToKeysym(m_display, code, 0, 0) != key &&
            XkbKeycodeToKeysym(m_display, code, 0, 1) == key)
            held.push_back(XKeysymToKeycode(m_display, XK_Shift_L));
        for (const KeyCode modifier : held)
            XTestFakeKeyEvent(m_display, modifier, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        for (auto modifier = held.rbegin(); modifier != held.rend(); ++modifier)
            XTestFakeKeyEvent(m_display, *modifier, False, CurrentTime);
    }

    Display *m_display = nullptr;
    Window m_root = 0;
    XImage *m_image = nullptr;
    XShmSegmentInfo m_shm{};
    size_t m_size = 0;
    std::vector<char> m_last;
    std::unordered_set<uint64_t> m_seen;
};

struct Timing {
    std::chrono::milliseconds quiet{2000};
    std::chrono::seconds cap{30};
    std::chrono::milliseconds every{4};
};

void checkReader()
{
    int status = 0;
    if (waitpid(reader, &status, WNOHANG) == reader) {
        reader = 0;
        if (WIFSIGNALED(status))
            fail("the program was ended by signal %d before the screen settled", WTERMSIG(status));
        fail("the program exited with %d before the screen settled", WEXITSTATUS(status));
    }
}

// Samples until no new state has come for `quiet` and returns the time of the last new state.
// A screen that shows nothing new at all for `patience` (unless zero) is settled at `from`.
// While the program works (more than a third of a processor over a tenth of a second) the quiet
// has not begun: a reader that searches without drawing has not settled.
Clock::time_point settle(ScreenWatch &screen, const Timing &timing, Clock::time_point from,
                         std::chrono::milliseconds quiet, std::chrono::milliseconds patience,
                         const char *what)
{
    constexpr std::chrono::milliseconds busyCheck{100};
    Clock::time_point last = from, busy = from, checked = from;
    double cpu = cpuMs();
    bool changed = false;
    for (Clock::time_point next = Clock::now();; next += timing.every) {
        std::this_thread::sleep_until(next);
        const Clock::time_point now = Clock::now();
        if (screen.sample()) {
            last = now;
            changed = true;
            if (tracing)
                std::fprintf(stderr, "  new state at %.1f ms\n", msBetween(from, now));
        }
        if (now - checked >= busyCheck) {
            const double used = cpuMs();
            if (used - cpu > msBetween(checked, now) / 3)
                busy = now;
            cpu = used;
            checked = now;
        }
        const Clock::time_point quietSince = std::max(last, busy);
        if (changed && now - quietSince >= quiet)
            return last;
        if (!changed && patience.count() > 0 && now - quietSince >= patience)
            return from;
        if (now - from >= timing.cap)
            fail("the screen did not settle within %lld s (%s)",
                 static_cast<long long>(timing.cap.count()), what);
        checkReader();
        // A late sample is taken at once, but the next ones keep to the period.
        if (next + timing.every < now)
            next = now;
    }
}

// Interrupted or ended itself, the sampler says so and takes the reader with it: in a process
// group of its own, the reader would outlive it.
void stopped(int signal)
{
    static const char said[] = "quillmoor-bench-screen: stopped by a signal\n";
    if (write(STDERR_FILENO, said, sizeof said - 1) < 0) {
    }
    if (reader > 0)
        kill(-reader, SIGKILL);
    _exit(128 + signal);
}

void start(char **command)
{
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    reader = fork();
    if (reader < 0)
        fail("cannot fork");
    if (reader == 0) {
        setpgid(0, 0);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            std::signal(signal, SIG_DFL);
        execvp(command[0], command);
        std::fprintf(stderr, "quillmoor-bench-screen: cannot run %s\n", command[0]);
        _exit(127);
    }
    setpgid(reader, reader);
}

// Pages through the document as a reader would, each page drawn before the next key (no new
// state for a tenth of the quiet period), and sums the memory of the program's processes once it
// shows the end.
void pageThrough(ScreenWatch &screen, const Timing &timing, int most)
{
    const auto drawn = timing.quiet / 10;
    int presses = 0;
    while (presses < most) {
        const Clock::time_point sent = Clock::now();
        screen.send("<Page_Down>", timing.quiet);
        ++presses;
        if (settle(screen, timing, sent, drawn, timing.quiet, "paging") == sent)
            break; // nothing new for the quiet period: the end is shown
    }
    const Clock::time_point sent = Clock::now();
    screen.send("<End>", timing.quiet);
    settle(screen, timing, sent, timing.quiet, timing.quiet, "End after paging");
    long long kib = 0;
    const std::vector<Process> processes = descendants();
    for (const Process &process : processes)
        kib += pssKib(process.pid);
    report("page_downs", presses);
    report("processes", double(processes.size()));
    report("memory_mib", kib / 1024.0);
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: quillmoor-bench-screen [--quiet-ms MS] [--cap-s S] [--every-ms MS]"
                         " [--keys NAME KEYS]... [--page-through MAX] [--shots PREFIX] [--trace]"
                         " -- PROGRAM [ARGUMENT...]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char **argv)
{
    Timing timing;
    std::vector<std::pair<std::string, std::string>> steps; // an empty name pages through
    int most = 0;
    std::string shots;
    int at = 1;
    for (; at < argc && std::strcmp(argv[at], "--") != 0; ++at) {
        const std::string option = argv[at];
        const bool hasValue = at + 1 < argc;
        if (option == "--quiet-ms" && hasValue)
            timing.quiet = std::chrono::milliseconds(std::atoi(argv[++at]));
        else if (option == "--cap-s" && hasValue)
            timing.cap = std::chrono::seconds(std::atoi(argv[++at]));
        else if (option == "--every-ms" && hasValue)
            timing.every = std::chrono::milliseconds(std::atoi(argv[++at]));
        else if (option == "--keys" && at + 2 < argc) {
            steps.emplace_back(argv[at + 1], argv[at + 2]);
            at += 2;
        } else if (option == "--page-through" && hasValue) {
            most = std::atoi(argv[++at]);
            steps.emplace_back(std::string(), std::string());
        } else if (option == "--shots" && hasValue)
            shots = argv[++at];
        else if (option == "--trace")
            tracing = true;
        else
            usage();
    }
    if (at + 1 >= argc)
        usage();
    char **command = argv + at + 1;

    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, stopped);
    // A display gone shows as Xlib's error, not as a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    ScreenWatch screen;
    screen.forget();
    const Clock::time_point launched = Clock::now();
    start(command);
    const Clock::time_point shown = settle(screen, timing, launched, timing.quiet, {}, "start");
    report("start_ms", msBetween(launched, shown));
    const auto shoot = [&](const std::string &name) {
        if (!shots.empty())
            screen.writePng((shots + "-" + name + ".png").c_str());
    };
    shoot("start");
    for (const auto &[name, keys] : steps) {
        if (name.empty()) {
            pageThrough(screen, timing, most);
            shoot("last");
            continue;
        }
        screen.forget();
        const Clock::time_point sent = Clock::now();
        screen.send(keys, timing.quiet);
        const Clock::time_point done =
            settle(screen, timing, sent, timing.quiet, timing.quiet, keys.c_str());
        // -1: the keys changed nothing on the screen.
        report(name + "_ms", done == sent ? -1 : msBetween(sent, done));
        shoot(name);
    }
    stopReader();
    return 0;
}
