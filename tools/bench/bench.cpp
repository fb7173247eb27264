// Runs the real game under a scripted drive and prints where a frame's
// time goes: the drive as it is, the same drive with cheaper city pixels
// (the breakdown rows), and an empty clear-and-swap frame (the floor);
// then the drive's slowest frames with what happened in them, and a warning
// when the machine was busy. The constant-colour row is the unit of the
// figures, so runs on a busier or slower machine stay comparable.
// Usage: cd build/game && ./tarvello_bench [FRAMES] [--compare SHADER_DIR]... [--variant CHOICES]... [--size WxH]...
// Each --compare folder holds city and van programs to drive beside the
// shipped ones; each --variant drives the shipped programs with other
// choices of the game's own code (see CHOICES below); each --size drives
// the shipped game in a window of W x H pixels (a scaled display, a
// maximised window) and compares its cost with the pixels it has. Every
// variant drives in turns of a few frames, so a busy machine slows them
// alike.
#include "app/Frame.h"
#include "app/Game.h"
#include "app/ScriptedDrive.h"
#include "app/Window.h"
#include "platform/Input.h"
#include "platform/Process.h"
#include "platform/ProcessEnd.h"
#include "render/RenderChoices.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of all the process's threads (the rasteriser's included),
// which is steadier than wall time on a shared machine.
double cpuMilliseconds() { return platform::processorSeconds() * 1000.0; }

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const std::size_t index = std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())));
    return v[index];
}

// The city's fragment stages of the breakdown rows: each does less per
// pixel than the one before, with the shipped vertex stage in front.
const char* const WITHOUT_LIGHTS = R"(#version 330 compatibility
uniform sampler2D colorTexture;
uniform vec4 ambient, diffuse, specular;
uniform float fog_start, fog_end;
uniform vec4 fog_color;
uniform vec4 lightPos[10];
uniform vec3 spotDir[10];
uniform float spotCosCutoff[10];
in vec3 eyePosition;
flat in vec3 eyeNormal;
in vec2 texCoord;
out vec4 fragColor;
void main() {
    float distance = length(eyePosition);
    float fogFactor = clamp((fog_end - distance) / max(fog_end - fog_start, 0.0001), 0.0, 1.0);
    float texel = texture(colorTexture, texCoord).r;
    vec3 toEye = -eyePosition / max(distance, 0.0001);
    float facing = max(dot(eyeNormal, toEye), 0.0);
    vec3 lit = texel * (ambient.rgb + diffuse.rgb * facing + specular.rgb * facing);
    fragColor = vec4(mix(fog_color.rgb, lit, fogFactor), 1.0);
}
)";

const char* const TEXTURE_ONLY = R"(#version 330 compatibility
uniform sampler2D colorTexture;
in vec2 texCoord;
out vec4 fragColor;
void main() {
    fragColor = vec4(texture(colorTexture, texCoord).rrr, 1.0);
}
)";

const char* const CONSTANT_COLOUR = R"(#version 330 compatibility
out vec4 fragColor;
void main() {
    fragColor = vec4(0.3, 0.3, 0.3, 1.0);
}
)";

// The choices a --variant can name, each setting one RenderChoices field;
// several are joined with commas ("van-last,float-textures").
struct Choice {
    const char* name;
    bool RenderChoices::*field;
    bool value;
};
const Choice CHOICES[] = {
    {"van-first", &RenderChoices::vanFirst, true},
    {"van-last", &RenderChoices::vanFirst, false},
    {"byte-textures", &RenderChoices::byteTextures, true},
    {"float-textures", &RenderChoices::byteTextures, false},
};

// The shipped choices changed as `spec` names; false for an unknown name.
bool parseChoices(const std::string& spec, RenderChoices* choices) {
    std::stringstream names(spec);
    std::string name;
    while (std::getline(names, name, ',')) {
        const Choice* found = nullptr;
        for (const Choice& c : CHOICES)
            if (name == c.name) found = &c;
        if (!found) return false;
        choices->*(found->field) = found->value;
    }
    return true;
}

struct Size {
    int width = 0;
    int height = 0;
};

bool operator==(Size a, Size b) { return a.width == b.width && a.height == b.height; }

// WxH, such as 2400x1600; false when it is not one.
bool parseSize(const char* text, Size* size) {
    char x = 0;
    char rest = 0;
    std::istringstream in(text);
    return in >> size->width >> x >> size->height && x == 'x' && !(in >> rest) && size->width > 0 &&
           size->height > 0;
}

Size drawableOf(GLFWwindow* window) {
    Size size;
    glfwGetFramebufferSize(window, &size.width, &size.height);
    return size;
}

// Gives the window W x H pixels and waits (at most 2 s) until its drawable
// has them.
void resizeWindow(GLFWwindow* window, Size size) {
    if (drawableOf(window) == size) return;
    glfwSetWindowSize(window, size.width, size.height);
    const Clock::time_point asked = Clock::now();
    while (!(drawableOf(window) == size) && millisecondsSince(asked) < 2000.0) glfwWaitEventsTimeout(0.05);
}

struct Variant {
    Variant(std::string what, std::string where, RenderChoices how = {}, Size in = {})
        : label(std::move(what)), folder(std::move(where)), choices(how), size(in) {}

    // Makes this variant's game the one the keys, the clock and the
    // process-wide choices belong to.
    void take() {
        drive.take();
        renderChoices() = choices;
    }

    std::string label;
    std::string folder;  // the game folder it is built and run in
    RenderChoices choices;
    Size size;  // the window's; none: the size it opened with
    std::unique_ptr<Game> game;
    ScriptedDrive drive{60.0};
    std::vector<double> times;
    double cpu = 0.0;
};

// One frame of the shipped drive, kept so the slowest can be explained.
struct FrameRecord {
    long frame = 0;
    double ms = 0.0;
    FrameSplit split;
    bool firstOfTurn = false;  // the first frame after another game drew
    int jobsOpen = 0;
    std::string events;        // what the game printed in the frame
};

// The game's console lines of one frame, named by what happened.
std::string eventsIn(const std::string& printed) {
    std::string events;
    const auto note = [&events](const char* what) { events += events.empty() ? what : std::string(", ") + what; };
    if (printed.find("new Job") != std::string::npos) note("job created");
    if (printed.find("Job delivered") != std::string::npos) note("job delivered");
    if (printed.find("Zeit abgelaufen") != std::string::npos) note("job expired");
    if (events.empty() && printed.find("Popularity") != std::string::npos) note("popularity changed");
    return events;
}

// What the drive's keys did in a frame.
std::string drivingIn(long frame) {
    if (ScriptedDrive::drivingKey(GLFW_KEY_LEFT, frame) || ScriptedDrive::drivingKey(GLFW_KEY_RIGHT, frame))
        return "turning";
    if (ScriptedDrive::drivingKey(GLFW_KEY_DOWN, frame)) return "braking";
    return ScriptedDrive::drivingKey(GLFW_KEY_UP, frame) ? "straight" : "rolling";
}

void writeFile(const fs::path& path, const char* text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// A game folder beside the real one: the real data files, with the city's
// and van's programs taken from `shaders` and the city's fragment stage
// replaced by `cityFragment` when given.
std::string variantFolder(const fs::path& root, const std::string& name, const fs::path& shaders,
                          const char* cityFragment) {
    const fs::path game = fs::current_path();
    const fs::path folder = root / name;
    fs::create_directories(folder);
    fs::copy(game / "Shaders", folder / "Shaders");
    if (!shaders.empty()) {
        for (const auto& entry : fs::directory_iterator(shaders))
            fs::copy_file(entry.path(), folder / "Shaders" / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
    }
    if (cityFragment) writeFile(folder / "Shaders" / "spotLightTex.frag", cityFragment);
    // Copies, not links: Windows makes links only with privileges. The
    // copies keep the files' time stamps, since the game's decoded-image
    // cache knows an image by its name, size and time stamp: new stamps
    // would have the shipped game decode every image again at its F5.
    for (const char* data : {"Textures", "vito.obj", "arial.glf"}) {
        fs::copy(game / data, folder / data, fs::copy_options::recursive);
        if (!fs::is_directory(game / data)) continue;
        for (const auto& entry : fs::directory_iterator(game / data))
            fs::last_write_time(folder / data / entry.path().filename(), fs::last_write_time(entry.path()));
    }
    return folder.string();
}

}  // namespace

int main(int argc, char** argv) {
    platform::configureProcess();
    const Clock::time_point start = Clock::now();
    const double loadAtStart = platform::loadAverage();
    long frames = 600;
    std::vector<std::string> compare;
    std::vector<std::pair<std::string, RenderChoices>> choiceVariants;
    std::vector<Size> sizes;
    for (int a = 1; a < argc; ++a) {
        if (std::strcmp(argv[a], "--compare") == 0 && a + 1 < argc) {
            compare.push_back(fs::absolute(argv[++a]).string());
        } else if (std::strcmp(argv[a], "--variant") == 0 && a + 1 < argc) {
            RenderChoices choices;
            if (!parseChoices(argv[++a], &choices)) {
                std::cerr << "unknown --variant " << argv[a] << "; the choices are:";
                for (const Choice& c : CHOICES) std::cerr << " " << c.name;
                std::cerr << std::endl;
                return 1;
            }
            choiceVariants.emplace_back(argv[a], choices);
        } else if (std::strcmp(argv[a], "--size") == 0 && a + 1 < argc) {
            Size size;
            if (!parseSize(argv[++a], &size)) {
                std::cerr << "--size takes WIDTHxHEIGHT, such as 2400x1600, not " << argv[a] << std::endl;
                return 1;
            }
            sizes.push_back(size);
        } else {
            frames = std::max(2L, std::atol(argv[a]));
        }
    }
    GLFWwindow* window = startGameWindow();
    if (!window) return 1;
    const double contextReady = millisecondsSince(start);
    const Size opened = drawableOf(window);

    std::ostringstream gameOutput;
    std::streambuf* console = std::cout.rdbuf(gameOutput.rdbuf());

    std::vector<Variant> variants;
    // References to the shipped variant stay valid.
    variants.reserve(compare.size() + choiceVariants.size() + sizes.size() + 4);
    variants.push_back(Variant("drive, as shipped", fs::current_path().string()));

    // The first frame of the shipped game, timed from the start of the process.
    Variant& shipped = variants.front();
    shipped.take();
    shipped.game = std::make_unique<Game>();
    shipped.game->resize(WINDOW_WIDTH, WINDOW_HEIGHT);
    const double gameBuilt = millisecondsSince(start);
    runFrame(*shipped.game, window);
    ++shipped.drive.frame;
    const double firstFrame = millisecondsSince(start);

    const fs::path root = fs::temp_directory_path() / ("tarvello_bench_" + std::to_string(std::random_device{}()));
    fs::create_directories(root);
    const fs::path game = fs::current_path();
    for (std::size_t c = 0; c < compare.size(); ++c) {
        variants.push_back(Variant("drive with " + fs::path(compare[c]).filename().string(),
                                   variantFolder(root, "compare" + std::to_string(c), compare[c], nullptr)));
    }
    // The game's own data: only the choices differ.
    for (const auto& [label, choices] : choiceVariants)
        variants.push_back(Variant("drive, " + label, game.string(), choices));
    const std::size_t firstSized = variants.size();
    for (const Size& size : sizes) {
        variants.push_back(Variant("drive at " + std::to_string(size.width) + "x" + std::to_string(size.height),
                                   game.string(), {}, size));
    }
    const std::size_t endSized = variants.size();
    const std::size_t unlitRow = variants.size();
    variants.push_back(Variant("texture, fog and normals, no lights", variantFolder(root, "nolights", {}, WITHOUT_LIGHTS)));
    variants.push_back(Variant("texture only", variantFolder(root, "texture", {}, TEXTURE_ONLY)));
    variants.push_back(Variant("constant colour", variantFolder(root, "constant", {}, CONSTANT_COLOUR)));
    for (Variant& v : variants) {
        if (v.game) continue;
        fs::current_path(v.folder);
        v.take();
        resizeWindow(window, v.size.width ? v.size : opened);
        v.game = std::make_unique<Game>();
        v.game->resize(WINDOW_WIDTH, WINDOW_HEIGHT);
        runFrame(*v.game, window);  // the first frame uploads the textures; not counted
        ++v.drive.frame;
        fs::current_path(game);
    }

    // Turns of 30 frames each, variant after variant. The first frame of a
    // turn follows another game's frames, which the game itself never does:
    // it is run but left out of the variant's times and shown on its own in
    // the breakdown of the slow frames. The load average is read at every
    // turn, so a run on a busy machine says so.
    constexpr long TURN = 30;
    double highestLoad = platform::loadAverage();
    std::vector<FrameRecord> shippedFrames;
    for (long done = 1; done < frames; done += TURN) {
        highestLoad = std::max(highestLoad, platform::loadAverage());
        for (Variant& v : variants) {
            fs::current_path(v.folder);
            v.take();
            resizeWindow(window, v.size.width ? v.size : opened);
            // The games share one context: the viewport is this game's again.
            v.game->resize(drawableOf(window).width, drawableOf(window).height);
            double cpuStart = 0.0;
            for (long f = done; f < std::min(frames, done + TURN); ++f, ++v.drive.frame) {
                const std::streamoff printedBefore = gameOutput.tellp();
                FrameRecord record;
                record.frame = v.drive.frame;
                record.firstOfTurn = f == done;
                const Clock::time_point t = Clock::now();
                runFrame(*v.game, window, &record.split);
                record.ms = millisecondsSince(t);
                if (record.firstOfTurn)
                    cpuStart = cpuMilliseconds();
                else
                    v.times.push_back(record.ms);
                if (&v != &shipped) continue;
                if (gameOutput.tellp() != printedBefore)
                    record.events = eventsIn(gameOutput.str().substr(static_cast<std::size_t>(printedBefore)));
                record.jobsOpen = static_cast<int>(v.game->rules().jobs().size());
                shippedFrames.push_back(std::move(record));
            }
            v.cpu += cpuMilliseconds() - cpuStart;
        }
    }
    highestLoad = std::max(highestLoad, platform::loadAverage());
    fs::current_path(game);
    resizeWindow(window, opened);

    // One filter-mode switch in the shipped game, timed as the frame in which it happens.
    renderChoices() = shipped.choices;
    platform::setKeySource([](int key) { return key == GLFW_KEY_F5 ? 1 : 0; });
    const Clock::time_point t = Clock::now();
    runFrame(*shipped.game, window);
    const double rebuild = millisecondsSince(t);

    // The rebuild's parts, once more: a city alone (programs, images,
    // cells), then its first draw (uploads and mipmaps).
    double cityBuild = 0.0, cityFirstDraw = 0.0;
    {
        SpotLights spare;
        const Clock::time_point b = Clock::now();
        City city(spare, GL_LINEAR, GL_LINEAR);
        cityBuild = millisecondsSince(b);
        const Clock::time_point d = Clock::now();
        city.render(glm::mat4(1.0f), glm::mat4(1.0f), glm::mat3(1.0f));
        glFinish();
        cityFirstDraw = millisecondsSince(d);
    }
    platform::setKeySource({});
    platform::setClockSource({});
    for (Variant& v : variants) v.game.reset();
    std::cout.rdbuf(console);
    fs::remove_all(root);

    // The floor: what an empty clear-and-swap frame costs on this machine.
    std::vector<double> floorTimes;
    const double floorCpuStart = cpuMilliseconds();
    for (int i = 0; i < 120; ++i) {
        const Clock::time_point f = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glfwSwapBuffers(window);
        glfwPollEvents();
        floorTimes.push_back(millisecondsSince(f));
    }
    const double floorCpu = (cpuMilliseconds() - floorCpuStart) / 120.0;
    const double floor = percentile(floorTimes, 0.5);

    const GLubyte* renderer = glGetString(GL_RENDERER);
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    std::printf("renderer: %s; %u processors online; %ld frames at %dx%d per drive; GLIBC_TUNABLES=%s; load average "
                "%.2f at the start, at most %.2f during the run\n",
                renderer ? reinterpret_cast<const char*>(renderer) : "?", std::thread::hardware_concurrency(), frames,
                opened.width, opened.height, tunables ? tunables : "", loadAtStart, highestLoad);
    // The unit of every figure: the constant-colour drive, which rasterises
    // the same frames without sampling, fog or lights.
    const Variant& constant = variants.back();
    const double unit = percentile(constant.times, 0.5);
    const double unitP99 = percentile(constant.times, 0.99);
    const auto perFrameCpu = [](const Variant& v) {
        return v.cpu / static_cast<double>(std::max<std::size_t>(1, v.times.size()));
    };
    const double unitCpu = perFrameCpu(constant);
    const auto ratio = [](double ms, double of) { return of > 0.0 ? ms / of : 0.0; };
    const auto row = [&](const char* what, double ms) {
        std::printf("| %s | %.2f | %.2f |\n", what, ms, ratio(ms, unit));
    };
    std::printf("| measure | ms | x constant colour (median) |\n|---|---|---|\n");
    row("median frame", percentile(shipped.times, 0.5));
    row("p99 frame", percentile(shipped.times, 0.99));
    row("worst frame (after the first)", percentile(shipped.times, 1.0));
    row("start to first frame", firstFrame);
    row("- of it: window and context", contextReady);
    row("- of it: game construction (programs, 13 images, van)", gameBuilt - contextReady);
    row("- of it: first frame (uploads, mipmaps, first draws)", firstFrame - gameBuilt);
    row("F5 rebuild frame", rebuild);
    row("- of it: a city's construction (programs, 13 images, cells)", cityBuild);
    row("- of it: a new city's first draw (uploads, mipmaps)", cityFirstDraw);
    row("floor: clear and swap (median)", floor);
    std::printf("\n| drive | median ms | x constant colour | p99 ms | x constant colour's p99 | processor ms per "
                "frame, all threads | x constant colour |\n|---|---|---|---|---|---|---|\n");
    for (const Variant& v : variants) {
        const double median = percentile(v.times, 0.5);
        const double p99 = percentile(v.times, 0.99);
        std::printf("| %s | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f |\n", v.label.c_str(), median, ratio(median, unit),
                    p99, ratio(p99, unitP99), perFrameCpu(v), ratio(perFrameCpu(v), unitCpu));
    }
    std::printf("| floor: clear and swap | %.2f | %.2f | | | %.2f | %.2f |\n", floor, ratio(floor, unit), floorCpu,
                ratio(floorCpu, unitCpu));
    // What the spot lights cost: the shipped drive against the same drive
    // without them (the goal is at most 1.3).
    const Variant& unlit = variants[unlitRow];
    std::printf("\nlit drive / drive without lights: %.2f median, %.2f processor time\n",
                ratio(percentile(shipped.times, 0.5), percentile(unlit.times, 0.5)),
                ratio(perFrameCpu(shipped), perFrameCpu(unlit)));

    // A larger window against the shipped one: a frame that costs more
    // than its share of pixels would mean per-pixel work grows with the size.
    if (firstSized < endSized) {
        std::printf("\n| window | pixels x %dx%d | median ms | x %dx%d | processor ms per frame | x %dx%d | faster "
                    "than the pixels |\n|---|---|---|---|---|---|---|\n",
                    opened.width, opened.height, opened.width, opened.height, opened.width, opened.height);
        const double basePixels = static_cast<double>(opened.width) * opened.height;
        const auto sizeRow = [&](const Variant& v, Size size) {
            const double pixels = static_cast<double>(size.width) * size.height / basePixels;
            const double median = ratio(percentile(v.times, 0.5), percentile(shipped.times, 0.5));
            const double cpu = ratio(perFrameCpu(v), perFrameCpu(shipped));
            std::printf("| %dx%d | %.2f | %.2f | %.2f | %.2f | %.2f | %s |\n", size.width, size.height, pixels,
                        percentile(v.times, 0.5), median, perFrameCpu(v), cpu,
                        median > pixels || cpu > pixels ? "yes" : "no");
        };
        sizeRow(shipped, opened);
        for (std::size_t i = firstSized; i < endSized; ++i) sizeRow(variants[i], variants[i].size);
    }

    // The slowest frames of the shipped drive and what happened in them.
    std::sort(shippedFrames.begin(), shippedFrames.end(),
              [](const FrameRecord& a, const FrameRecord& b) { return a.ms > b.ms; });
    const auto describe = [](const FrameRecord& r) {
        std::string what = drivingIn(r.frame);
        if (r.firstOfTurn) what += ", first frame after the other games' turns";
        if (!r.events.empty()) what += ", " + r.events;
        return what;
    };
    const auto gameWork = [](const FrameRecord& r) { return r.split.update + r.split.render; };
    std::printf("\n| slowest frames of the drive | ms | update | render | swap | open jobs | what happened |\n"
                "|---|---|---|---|---|---|---|\n");
    for (std::size_t i = 0; i < std::min<std::size_t>(10, shippedFrames.size()); ++i) {
        const FrameRecord& r = shippedFrames[i];
        std::printf("| frame %ld | %.2f | %.2f | %.2f | %.2f | %d | %s |\n", r.frame, r.ms, r.split.update,
                    r.split.render, r.split.swap, r.jobsOpen, describe(r).c_str());
    }
    // The same by kind, over the whole drive. Update and render are the
    // game's own work on this thread; the swap waits for the rasteriser.
    using Kind = bool (*)(const FrameRecord&);
    const std::pair<const char*, Kind> kinds[] = {
        {"first frame after the other games' turns", [](const FrameRecord& r) { return r.firstOfTurn; }},
        {"a job created, delivered or expired",
         [](const FrameRecord& r) { return r.events.find("job") != std::string::npos; }},
        {"turning", [](const FrameRecord& r) { return drivingIn(r.frame) == "turning"; }},
        {"none of these", [](const FrameRecord& r) {
             return !r.firstOfTurn && r.events.find("job") == std::string::npos && drivingIn(r.frame) != "turning";
         }},
    };
    std::printf("\n| frames of the drive | count | median ms | median update + render ms |\n|---|---|---|---|\n");
    for (const auto& [label, keep] : kinds) {
        std::vector<double> ms, work;
        for (const FrameRecord& r : shippedFrames) {
            if (!keep(r)) continue;
            ms.push_back(r.ms);
            work.push_back(gameWork(r));
        }
        std::printf("| %s | %zu | %.2f | %.2f |\n", label, ms.size(), percentile(ms, 0.5), percentile(work, 0.5));
    }
    if (!shippedFrames.empty()) {
        const FrameRecord& busiest = *std::max_element(
            shippedFrames.begin(), shippedFrames.end(),
            [&gameWork](const FrameRecord& a, const FrameRecord& b) { return gameWork(a) < gameWork(b); });
        std::printf("\nmost update + render in one frame: %.2f ms (update %.2f), frame %ld: %s\n", gameWork(busiest),
                    busiest.split.update, busiest.frame, describe(busiest).c_str());
    }
    // The benchmark itself keeps about two processors busy (the rasteriser's
    // threads), which the load average counts too: only what passes that
    // by more than 1 is other work.
    const double ownProcessors = cpuMilliseconds() / std::max(1.0, millisecondsSince(start));
    if (loadAtStart > 0.5 || highestLoad > ownProcessors + 1.0) {
        std::printf("\nwarning: the load average was %.2f at the start and reached %.2f during the run, where the "
                    "benchmark itself kept %.2f processors busy: other work shared the processors, so these times "
                    "are not a quiet machine's\n",
                    loadAtStart, highestLoad, ownProcessors);
    }
    stopGameWindow();
    platform::endProcess(0);
}
