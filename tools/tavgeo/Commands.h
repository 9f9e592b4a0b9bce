// The subcommands of tavgeo. Each registers its options on the command-line
// parser and returns the function that runs it after parsing.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

#include "Output.h"

namespace tavgeo {

// Options that every point-reading subcommand takes.
struct CommonOptions {
  std::string input;  // file, "-" or empty for standard input
  std::string svg;    // picture file, empty for none
  bool pretty = false;
};

using Runner = std::function<Outcome()>;

// Adds the input positional, --svg and --pretty.
void addCommonOptions(CLI::App* app, CommonOptions* options, bool inputIsPositional = true);

Runner registerFitLine(CLI::App& app, CommonOptions* common);
Runner registerFitCircle(CLI::App& app, CommonOptions* common);
Runner registerRansacLine(CLI::App& app, CommonOptions* common);
Runner registerRegion(CLI::App& app, CommonOptions* common);
Runner registerSpokes(CLI::App& app, CommonOptions* common);
Runner registerRake(CLI::App& app, CommonOptions* common);
Runner registerCircle3Pts(CLI::App& app, CommonOptions* common);
Runner registerPolygonArea(CLI::App& app, CommonOptions* common);
Runner registerInside(CLI::App& app, CommonOptions* common);
Runner registerBBox(CLI::App& app, CommonOptions* common);

// `tavgeo demo`: writes its own files and prints a summary; returns the exit status.
std::function<int()> registerDemo(CLI::App& app);

// The common head of every JSON result.
Json resultHead(const std::string& command, const std::string& source, std::size_t points);

}  // namespace tavgeo
