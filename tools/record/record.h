// mirtal-record: a film of the walk-through, written by ffmpeg as MP4, WebM
// or GIF. The whole pipeline, stage by stage, each in a file named for it:
//
//   settings.cpp      the command line into Settings, and every check of the
//                     input that can fail before anything is drawn
//   film_path.cpp     the film's frames as camera placements: the tour of
//                     the preset views (holds, and glides on smooth curves
//                     between them) and the flight's frame count (no GL)
//   frame_source.cpp  the program's own start-up and frames, drawn into a
//                     framebuffer object of the film's size times K, read
//                     back and reduced K x K into top-down RGB frames
//   encoder.cpp       ffmpeg's command line for each format, and the pipe
//                     that a thread of its own feeds while the next frame is
//                     drawn
//   progress.cpp      the progress bar (or lines) on standard error
//   film.cpp          the run: the stages in order, interruption, the
//                     partial output removed, the closing summary
//
// Standard output stays free: everything is said on standard error.
#pragma once

#include "flight/flight_path.h"
#include "import.h"
#include "math/vector.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace record {

// ---- settings.cpp -------------------------------------------------------

enum class Format { Mp4, WebM, Gif };
enum class Content { TourThenFlight, Tour, Flight };

// Every option of the command line, with its default.
struct Settings {
    std::string scene;   // a scene folder, or a model file to import first
    std::string output;  // its extension chooses the format
    Format format = Format::Mp4;
    Content content = Content::TourThenFlight;
    int width = 1280, height = 720;  // pixels of the film
    int fps = 30;
    int supersample = 2;       // K: each frame drawn at K times the size
    double holdSeconds = 2;    // on each preset view of the tour
    double glideSeconds = 2;   // from one view of the tour to the next
    bool force = false;        // replace an existing output
    ReadLimits readLimits;     // --time-limit, --memory-limit: reading a model file (import.h)
};

// What parseArguments found: settings to record, a request for the usage
// text, or a one-line message for standard error (exit status 2).
struct ParseResult {
    enum Kind { Record, Help, Error } kind = Error;
    Settings settings;
    std::string message;
};

ParseResult parseArguments(int argc, const char* const* argv);
std::string usageText();

// The format an output name's extension (any case) asks for; false for an
// unknown extension.
bool formatOfName(const std::string& name, Format& format);

// Why SCENE cannot be recorded, or "" when it can: a readable folder that
// holds data_textura.geo or data_terreno.geo (the program opens its files by
// name in that folder).
std::string checkScene(const std::string& scene);

// Whether SCENE names a model file (a regular file, or a link to one) rather
// than a scene folder: main imports it into the launcher's cache (import.h,
// importIntoCache) after every check that needs no import, and films that
// folder.
bool isModelFile(const std::string& scene);

// The full name of an executable `program` on the search path `path` (the
// PATH variable's value), or "" when there is none.
std::string findOnPath(const std::string& program, const char* path);

// Every check that needs no GL, in the order a user would fix them: the
// scene (a model file only for being readable), the output's extension, its folder, an existing output without
// --force, ffmpeg on PATH, an X display. Returns the one-line message of
// the first that fails, or "" and the full name of ffmpeg in `ffmpeg`.
std::string checkBeforeDrawing(const Settings& settings, const char* path,
                               const char* display, std::string& ffmpeg);

// ---- film_path.cpp ------------------------------------------------------

// A camera placement in world units, z up (the up vector is always (0, 0, 1)).
struct Placement {
    Point3 eye, look;
};

// One preset view of the tour: F1 to F9 (number 1 to 9), then the named
// views of the menu in the menu's order (number = the value its entry sends).
// `light` is eyePoint once the program has applied the views up to this one:
// light 1 is placed from it in every frame.
struct TourStop {
    enum Kind { FunctionKey, MenuView } kind;
    int number;
    Placement placement;
    Point3 light;
};

// The twenty stops, given eyePoint before the first view is applied.
std::vector<TourStop> tourStops(Point3 startEyePoint);

// One frame of the film. A hold shows tour stop `stop` as the program's view
// places it; a glide frame places the camera between stops `stop` and
// `stop` + 1 and puts light 1 at `light`; a flight frame is one step of the
// program's flight path (the placement here is where that step puts the
// camera, for checking only).
struct FilmFrame {
    enum Kind { Hold, Glide, Flight } kind;
    int stop;
    Placement placement;
    Point3 light;
};

struct FilmPlan {
    std::vector<FilmFrame> frames;
    int tourFrames = 0;
    int flightFrames = 0;
};

// Frames of the hold on each view and of each glide, at the film's rate.
int holdFrameCount(const Settings& settings);
int glideFrameCount(const Settings& settings);

// The flight from its first frame to the last frame in which the camera
// moves (its eye or its look changes), one path step a frame, from the
// path parameter `startParam` and the eye `startEye`. At most `limit`.
int flightFrameCount(float startParam, Point3 startEye, int limit = 100000);

// The glide between two neighbouring stops at time s in [0, 1]: eye and
// look on centripetal Catmull-Rom curves through all the stops' eyes and
// looks, with eased speed (smoothstep), so that the camera rests at each
// view; light 1 moves straight from one stop's light to the next.
FilmFrame glideFrame(const std::vector<TourStop>& stops, int from, double s);

// The whole film: the tour, the flight, or the tour then the flight.
FilmPlan planFilm(const Settings& settings, Point3 startEyePoint, float startFlightParam);

// ---- frame_source.cpp ---------------------------------------------------

// The program's own start-up and frames in a small hidden window, drawn into
// a framebuffer object of (width K) x (height K) pixels.
class FrameSource {
public:
    // Opens the window and its context and makes the framebuffer object.
    // Runs in the scene folder; glutInit must have run. False and a
    // one-line message when the GL cannot give frames of that size.
    bool open(int width, int height, int supersample, std::string& message);
    // The program's initScene, then its reshape at the drawn size.
    void startScene();

    // A tour frame: the sun one step (the normal mode's idle callback), the
    // camera placed (by the program's own preset view on a hold), then the
    // normal-mode frame, displayScene.
    void drawTourFrame(const std::vector<TourStop>& stops, const FilmFrame& frame);
    // Before a film that opens with the flight: the program draws no flight
    // frame before its normal mode's idle callback has moved the sun once
    // from where it starts (the scene's origin) onto its path in the sky.
    void openWithFlight();
    // A flight frame: the flight mode's frame, displayFlight, which steps the
    // path; the sun stands still, as in the program's flight mode.
    void drawFlightFrame();
    // Waits for the drawing to end (for timing).
    void finish();

    // The drawn frame, read back with glReadPixels (rows bottom-up).
    void readBack(std::vector<std::uint8_t>& drawn);

    int drawnWidth() const { return width_ * k_; }
    int drawnHeight() const { return height_ * k_; }

private:
    int width_ = 0, height_ = 0, k_ = 1;
};

// The drawn frame (bottom-up rows, (width K) x (height K) RGB) reduced to
// width x height, top row first: each pixel the mean of its K x K block (a
// box filter, exact for an integer K, with rounding to nearest).
void reduceFrame(const std::vector<std::uint8_t>& drawn, int width, int height, int k,
                 std::vector<std::uint8_t>& frame);

// ---- encoder.cpp --------------------------------------------------------

// ffmpeg's arguments (argv, program name first) for a film of this format
// read as raw RGB frames from standard input and written to `target`. A GIF
// takes two passes: pass 1 writes the film's palette to `palette`, pass 2
// the GIF with it. MP4 and WebM take pass 2 only.
std::vector<std::string> ffmpegArguments(const std::string& ffmpeg, const Settings& settings,
                                         int pass, const std::string& target,
                                         const std::string& palette);

// One ffmpeg process fed through a pipe by a thread of this object: submit
// hands a frame over and returns at once unless the frame before is still
// being written.
class Encoder {
public:
    Encoder() = default;
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    bool start(const std::vector<std::string>& arguments, std::string& message);
    // False when ffmpeg has stopped taking frames, or when `stop` is set
    // while waiting.
    bool submit(std::vector<std::uint8_t>& frame, const volatile int& stop);
    // Closes the pipe and waits for ffmpeg; false with a message unless it
    // ended with status 0.
    bool finish(std::string& message);
    // Ends ffmpeg at once and waits for it.
    void abort();

    double waitSeconds() const { return waitSeconds_; }    // submit waiting for the writer
    double writeSeconds() const { return writeSeconds_; }  // the writer waiting for ffmpeg

private:
    struct Shared;
    Shared* shared_ = nullptr;
    int pid_ = -1;
    double waitSeconds_ = 0;
    double writeSeconds_ = 0;
    bool joinWriter();  // false when ffmpeg stopped reading
};

// ---- progress.cpp -------------------------------------------------------

// Progress on `out` (standard error): a bar redrawn in place on a terminal
// (frames done of all, percent, time left), otherwise a line at every tenth.
class Progress {
public:
    Progress(std::FILE* out, bool terminal, int total, const char* what);
    void update(int done);
    void finish();

    // The bar's text for done of total frames with `secondsLeft` to go (< 0:
    // not known yet), at most `columns` wide.
    static std::string barText(int done, int total, double secondsLeft, int columns);

private:
    std::FILE* out_;
    bool terminal_;
    int total_;
    std::string what_;
    int lastTenth_ = 0;
    double start_;
};

// ---- film.cpp -----------------------------------------------------------

// Records the film that the settings ask for (checked already) in the
// current folder, the scene folder; `output` must be absolute. Returns the
// process's exit status: 0, 1 when ffmpeg or the GL fails, 128 + the signal
// when interrupted (the partial output is then removed).
int recordFilm(const Settings& settings, const std::string& ffmpeg, const std::string& output);

} // namespace record
