// tavgeo: the TavGeometry library on your own points, from the shell.
//
// Every subcommand but demo reads points (a file or standard input), prints one
// JSON object on standard output and with --svg draws the input and the result.
// Exit status: 0 success, 2 bad input or arguments (one line on standard
// error, no output file written), 1 failure of the tool itself.
#include <TavGeometry/TavGeometryVersion.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "Commands.h"
#include "Common.h"

namespace tavgeo {

void addCommonOptions(CLI::App* app, CommonOptions* options, bool inputIsPositional) {
  if (inputIsPositional) {
    app->add_option("input", options->input,
                    "Points file: 'x y' or 'x,y' per line, '#' comments, or a JSON "
                    "array of [x, y]; '-' or none reads standard input")
        ->type_name("FILE")
        ->check([](const std::string& path) { return path.empty() ? std::string("needs a file name or -") : ""; });
  }
  app->add_option("--svg", options->svg, "Draw the input and the result into this SVG file")
      ->type_name("FILE")
      ->check([](const std::string& path) { return path.empty() ? std::string("needs a file name") : ""; });
  app->add_flag("--pretty", options->pretty, "Indent the JSON output");
}

Json resultHead(const std::string& command, const std::string& source, std::size_t points) {
  Json j;
  j["command"] = command;
  j["input"] = Json{{"source", source}, {"points", points}};
  return j;
}

std::string dumpJson(const Json& json, bool pretty) {
  return json.dump(pretty ? 2 : -1, ' ', false, nlohmann::detail::error_handler_t::replace);
}

namespace {

// One printable line, whatever the message holds: line breaks become spaces,
// and control characters and bytes that are not UTF-8 (from a file name, say)
// become '?', so that nothing in it can drive the terminal.
std::string oneLine(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = printableSequence(text, i);
    if (n > 0) {
      out.append(text, i, n);
      i += n;
    } else {
      out += (text[i] == '\n' || text[i] == '\r') ? ' ' : '?';
      ++i;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// True when --svg names the file the points are read from (a picture written
// over it would destroy them): the named input, or the regular file standard
// input reads.
bool pictureOverInput(const CommonOptions& common) {
  if (common.svg.empty()) return false;
  if (!common.input.empty() && common.input != "-") {
    std::error_code same;
    return std::filesystem::equivalent(common.input, common.svg, same);
  }
  struct stat in {}, out {};
  return ::fstat(0, &in) == 0 && S_ISREG(in.st_mode) && ::stat(common.svg.c_str(), &out) == 0 &&
         in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

int fail(int status, const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "tavgeo: %s\n", oneLine(message).c_str());
  return status;
}

int run(int argc, char** argv) {
  CLI::App app("tavgeo " TAVGEOMETRY_VERSION_STRING
               ": the TavGeometry library on your own points.\n"
               "Reads points from a file or standard input ('x y' or 'x,y' per line, '#' comments,\n"
               "or a JSON array of [x, y]), prints JSON, draws SVG pictures with --svg.",
               "tavgeo");
  app.require_subcommand(1, 1);
  app.set_version_flag("--version", std::string(TAVGEOMETRY_VERSION_STRING));
  app.footer(
      "Exit status: 0 success, 2 bad input or arguments, 1 failure of the tool.\n"
      "Run 'tavgeo SUBCOMMAND --help' for the options and an example of each.\n\n"
      "Example:\n  tavgeo demo --out tavgeo-demo   # writes pictures and tavgeo-demo/index.html");

  CommonOptions common;
  std::vector<std::pair<std::string, Runner>> runners;
  auto add = [&](const char* name, Runner r) { runners.emplace_back(name, std::move(r)); };
  add("fit-line", registerFitLine(app, &common));
  add("fit-circle", registerFitCircle(app, &common));
  add("ransac-line", registerRansacLine(app, &common));
  add("region", registerRegion(app, &common));
  add("spokes", registerSpokes(app, &common));
  add("rake", registerRake(app, &common));
  add("circle-3pts", registerCircle3Pts(app, &common));
  add("polygon-area", registerPolygonArea(app, &common));
  add("inside", registerInside(app, &common));
  add("bbox", registerBBox(app, &common));
  std::function<int()> demo = registerDemo(app);

  // Help and version text, whose write fails like any other output.
  const auto printed = [&app](const CLI::Error& e) {
    const int status = app.exit(e);
    finishStdout();
    return status;
  };
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return printed(e);
  } catch (const CLI::CallForAllHelp& e) {
    return printed(e);
  } catch (const CLI::CallForVersion& e) {
    return printed(e);
  } catch (const CLI::Success& e) {
    return printed(e);
  } catch (const CLI::ParseError& e) {
    // A first word that names no subcommand reads to the parser as a missing one.
    if (app.get_subcommands().empty() && argc > 1) {
      // So does an option before any subcommand: only --help and --version are the tool's own.
      const bool option = argv[1][0] == '-';
      return fail(kExitBadInput, std::string(option ? "unknown option " : "unknown subcommand ") +
                                     quoteForMessage(argv[1]) + " (see tavgeo --help)");
    }
    return fail(kExitBadInput, std::string(e.what()) + " (see tavgeo --help)");
  }

  if (app.got_subcommand("demo")) return demo();
  if (pictureOverInput(common)) {
    return fail(kExitBadInput, "--svg: " + quoteForMessage(common.svg, 200) + " is the input file");
  }
  for (auto& entry : runners) {
    if (!app.got_subcommand(entry.first)) continue;
    Outcome outcome = entry.second();
    const std::string text = dumpJson(outcome.json, common.pretty);
    const auto print = [&text] {
      std::fwrite(text.data(), 1, text.size(), stdout);
      std::fputc('\n', stdout);
      finishStdout();
    };
    // The picture replaces its file only once the JSON is out, so that a run
    // that fails leaves an existing picture as it was.
    if (!common.svg.empty() && outcome.picture) {
      writeFileAtomically(common.svg, outcome.picture->render(), print);
    } else {
      print();
    }
    return kExitOk;
  }
  return fail(kExitToolFailure, "no subcommand ran");
}

}  // namespace
}  // namespace tavgeo

int main(int argc, char** argv) {
  using namespace tavgeo;
  try {
    return run(argc, argv);
  } catch (const InputError& e) {
    return fail(kExitBadInput, e.what());
  } catch (const ToolFailure& e) {
    return fail(kExitToolFailure, e.what());
  } catch (const std::bad_alloc&) {
    return fail(kExitToolFailure, "out of memory");
  } catch (const std::exception& e) {
    return fail(kExitToolFailure, std::string("internal error: ") + e.what());
  }
}
