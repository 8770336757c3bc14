#include "tools/oplexa/StatsSvg.h"

#include "tools/host/RecordPrint.h"
#include "tools/oplexa/StatsPlot.h"
#include "tools/oplexa/StatsText.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace oplexa
{
namespace
{
constexpr int kWidth = 1000;
constexpr int kHeight = 492;
constexpr double kLeft = 90;
constexpr double kTop = 104;       // below two rows of legend
constexpr double kPlotWidth = 790; // the budget's name to its right
constexpr double kPlotHeight = 310;
constexpr const char* kBlockColour = "#1f77b4";
constexpr const char* kLongestColour = "#6baed6";
constexpr const char* kMedianColour = "#08519c";
constexpr const char* kOverColour = "#d62728";
constexpr const char* kBudgetColour = "#333333";

struct Drawing
{
    FILE* out;
    LogScale scale;
    double seconds; // the time axis's end

    double x(double at) const { return kLeft + kPlotWidth * std::min(1.0, at / seconds); }
    double y(double ns) const { return kTop + kPlotHeight * (1 - scale.at(ns)); }
};

std::string milliseconds(double ns)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", ns / 1e6);
    return text;
}

void line(const Drawing& d, double x1, double y1, double x2, double y2, const char* style)
{
    std::fprintf(d.out, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" %s/>\n", x1, y1, x2,
                 y2, style);
}

void axes(const Drawing& d)
{
    const double bottom = kTop + kPlotHeight;
    for (double decade = d.scale.lowNs; decade <= d.scale.highNs * 1.001; decade *= 10)
    {
        line(d, kLeft, d.y(decade), kLeft + kPlotWidth, d.y(decade), "stroke=\"#cccccc\"");
        std::fprintf(d.out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%s</text>\n",
                     kLeft - 8, d.y(decade) + 4, milliseconds(decade).c_str());
        for (const double minor : {2.0, 5.0})
            if (decade * minor < d.scale.highNs)
                line(d, kLeft, d.y(decade * minor), kLeft + kPlotWidth, d.y(decade * minor),
                     "stroke=\"#eeeeee\"");
    }
    const double step = tickStep(d.seconds);
    for (double at = 0; at <= d.seconds * 1.0001; at += step)
    {
        line(d, d.x(at), bottom, d.x(at), bottom + 5, "stroke=\"#333333\"");
        std::fprintf(d.out, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%g</text>\n",
                     d.x(at), bottom + 20, std::round(at / step) * step);
    }
    std::fprintf(d.out,
                 "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
                 "stroke=\"#333333\"/>\n"
                 "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">session time (s)</text>\n"
                 "<text transform=\"translate(%.1f %.1f) rotate(-90)\" text-anchor=\"middle\">"
                 "processing time per block (ms, logarithmic)</text>\n",
                 kLeft, kTop, kPlotWidth, kPlotHeight, kLeft + kPlotWidth / 2, bottom + 45,
                 kLeft - 62, kTop + kPlotHeight / 2);
}

void polyline(const Drawing& d, const std::vector<StatsPlot::Point>& points, bool budget,
              const char* style)
{
    if (points.empty())
        return;
    std::fprintf(d.out, "<polyline fill=\"none\" %s points=\"", style);
    for (const StatsPlot::Point& point : points)
        std::fprintf(d.out, "%.1f,%.1f ", d.x(point.seconds),
                     d.y(budget ? point.budgetNs : point.ns));
    std::fprintf(d.out, "\"/>\n");
}

void budgetLine(const Drawing& d, const AudioBudget& audio, const StatsPlot& plot)
{
    constexpr const char* kStyle =
        "stroke=\"#333333\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"";
    const double at = d.y(audio.largestBudgetNs);
    if (audio.blocksDiffer)
        polyline(d, plot.eachBlock() ? plot.blocks : plot.longest, true, kStyle);
    else
        line(d, kLeft, at, kLeft + kPlotWidth, at, kStyle);
    std::fprintf(d.out,
                 "<text x=\"%.1f\" y=\"%.1f\" fill=\"%s\" font-weight=\"bold\">budget</text>\n"
                 "<text x=\"%.1f\" y=\"%.1f\" fill=\"%s\">%s ms</text>\n",
                 kLeft + kPlotWidth + 8, at - 2, kBudgetColour, kLeft + kPlotWidth + 8, at + 14,
                 kBudgetColour,
                 audio.blocksDiffer ? "frames / rate"
                                    : milliseconds(audio.largestBudgetNs).c_str());
}

// Items left to right from kLeft, on a second row where the first is full.
struct LegendPlace
{
    double x = kLeft;
    double y = 72;
};

void legendItem(const Drawing& d, LegendPlace& at, const char* colour, const char* shape,
                const std::string& text)
{
    const double width = 40 + 7.2 * static_cast<double>(text.size());
    if (at.x > kLeft && at.x + width > kWidth)
        at = {kLeft, at.y + 18};
    if (std::strcmp(shape, "dot") == 0)
        std::fprintf(d.out, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"%s\"/>\n", at.x + 10,
                     at.y, colour);
    else
        line(d, at.x, at.y, at.x + 20, at.y,
             (std::string("stroke=\"") + colour + "\" stroke-width=\"2\"" +
              (std::strcmp(shape, "dash") == 0 ? " stroke-dasharray=\"6 4\"" : ""))
                 .c_str());
    std::fprintf(d.out, "<text x=\"%.1f\" y=\"%.1f\">%s</text>\n", at.x + 26, at.y + 4,
                 xmlText(text).c_str());
    at.x += width;
}

void headings(const Drawing& d, const std::string& name, const AudioBudget& audio,
              const std::string& worstThread)
{
    std::fprintf(d.out,
                 "<text x=\"%.1f\" y=\"28\" font-size=\"17\" font-weight=\"bold\">%s: each "
                 "block's processing time against its real-time budget</text>\n",
                 kLeft, xmlText(name).c_str());
    char summary[320] = "no process calls";
    if (audio.blocks > 0)
        std::snprintf(summary, sizeof summary,
                      "%" PRIu64 " blocks, none with a budget: no effSetSampleRate before them",
                      audio.blocks);
    if (audio.hasWorst)
        std::snprintf(summary, sizeof summary,
                      "%" PRIu64 " blocks, %.2f %% of the budget used, %" PRIu64
                      " over budget; the worst, call %" PRIu64 " on %s at %.3f s, took %.1f %% "
                      "of its budget",
                      audio.times.count(), audio.share() * 100, audio.overBudget, audio.worst.call,
                      worstThread.c_str(), static_cast<double>(audio.worst.beginNs) / 1e9,
                      static_cast<double>(audio.worst.ns) / audio.worst.budgetNs * 100);
    std::fprintf(d.out, "<text x=\"%.1f\" y=\"50\" fill=\"#444444\">%s</text>\n", kLeft,
                 xmlText(summary).c_str());
}

void legend(const Drawing& d, const AudioBudget& audio, const StatsPlot& plot)
{
    char span[32];
    std::snprintf(span, sizeof span, "%.3g ms", plot.columnSeconds() * 1000);
    LegendPlace x;
    if (plot.eachBlock())
        legendItem(d, x, kBlockColour, "line", "time of each block");
    else
    {
        legendItem(d, x, kLongestColour, "line", std::string("longest block per ") + span);
        legendItem(d, x, kMedianColour, "line", std::string("median per ") + span);
    }
    if (!audio.hasWorst)
        return;
    char budget[96] = "budget: each block's frames / rate";
    if (!audio.blocksDiffer)
        std::snprintf(budget, sizeof budget, "budget: %" PRId64 " frames at %.0f Hz", audio.frames,
                      audio.sampleRate);
    legendItem(d, x, kBudgetColour, "dash", budget);
    legendItem(d, x, kOverColour, "dot",
               plot.eachMark() ? "over budget (" + std::to_string(audio.overBudget) + ")"
                               : "over budget (" + std::to_string(audio.overBudget) +
                                     " blocks, one mark per " + span + " with any)");
}

void write(FILE* out, const std::string& name, const AudioBudget& audio, const StatsPlot& plot,
           const std::string& worstThread)
{
    Drawing d{out, LogScale::around(audio), timeAxisSeconds(audio)};
    std::fprintf(out,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"%d\" "
                 "height=\"%d\" viewBox=\"0 0 %d %d\" font-family=\"DejaVu Sans, Verdana, "
                 "sans-serif\" font-size=\"13\">\n"
                 "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
                 kWidth, kHeight, kWidth, kHeight);
    headings(d, name, audio, worstThread);
    legend(d, audio, plot);
    axes(d);
    std::string style = std::string("stroke=\"") + kBlockColour + "\" stroke-width=\"1.2\"";
    polyline(d, plot.blocks, false, style.c_str());
    style = std::string("stroke=\"") + kLongestColour + "\" stroke-width=\"1.2\"";
    polyline(d, plot.longest, false, style.c_str());
    style = std::string("stroke=\"") + kMedianColour + "\" stroke-width=\"1.5\"";
    polyline(d, plot.medians, false, style.c_str());
    if (audio.hasWorst)
        budgetLine(d, audio, plot);
    for (const StatsPlot::Point& mark : plot.marks)
        std::fprintf(out,
                     "<circle class=\"over\" cx=\"%.1f\" cy=\"%.1f\" r=\"3.5\" fill=\"%s\"/>\n",
                     d.x(mark.seconds), d.y(mark.ns), kOverColour);
    std::fprintf(out, "</svg>\n");
}
} // namespace

std::string drawBudget(const std::string& recording, const AudioBudget& audio,
                       const std::string& out)
{
    StatsPlot plot(audio, static_cast<int>(kPlotWidth), static_cast<int>(kPlotHeight));
    recordFormat::RecordStream stream;
    StatsTimer timer([&plot](const TimedCall& call) { plot.add(call); });
    if (stream.open(recording))
    {
        recordFormat::Record record;
        while (stream.next(record))
            timer.add(record);
    }
    plot.finish();
    const std::string& path = stream.header.pluginPath;
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (stream.header.instance > 1)
        name += "#" + std::to_string(stream.header.instance);
    FILE* file = std::fopen(out.c_str(), "w");
    if (file == nullptr)
        return "cannot write " + out + ": " + std::strerror(errno);
    write(file, name, audio, plot,
          host::threadName(audio.worst.thread, timer.roleOf(audio.worst.thread)));
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed)
        return "cannot write " + out + ": " + std::strerror(errno);
    return "";
}
} // namespace oplexa
