// The --plot picture on its own: for any session, hostile texts and
// impossible numbers included, it is one well-formed SVG document with one
// circle per datagram received, drawn where the values belong.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Plot.h"
#include "XmlChecker.h"

namespace {

using tests::Element;
using tests::XmlChecker;
using varnelohost::PlotData;
using varnelohost::PlotPoint;
using varnelohost::PlotRunSample;
using varnelohost::RenderPlot;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const char* const kReplacement = "\xEF\xBF\xBD";  // U+FFFD
const char* const kEllipsis = "\xE2\x80\xA6";     // U+2026

// The checker is the oracle of every test below: it must refuse what is
// not XML, and take what is.
TEST(XmlChecker, RefusesWhatIsNotWellFormed) {
    struct Case {
        const char* what;
        std::string document;
        bool wellFormed;
    };
    const Case cases[] = {
        {"minimal", "<a/>", true},
        {"declaration, comment, nesting, references",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- c --><a x='1' y=\"&lt;&#x41;&#65;\">"
         "t &amp; <b>u</b><![CDATA[<&]]></a>\n",
         true},
        {"UTF-8 text", "<a>\xC3\xA9\xE2\x9C\x93\xF0\x9F\x8E\x9B</a>", true},
        {"bare ampersand", "<a>x & y</a>", false},
        {"unknown entity", "<a>&nbsp;</a>", false},
        {"less-than in an attribute", "<a x=\"<\"/>", false},
        {"mismatched end tag", "<a><b></a></b>", false},
        {"unclosed element", "<a><b/>", false},
        {"two roots", "<a/><b/>", false},
        {"text after the root", "<a/>x", false},
        {"duplicate attribute", "<a x=\"1\" x=\"2\"/>", false},
        {"unquoted attribute", "<a x=1/>", false},
        {"attributes without a blank", "<a x=\"1\"y=\"2\"/>", false},
        {"control character", std::string("<a>\x01</a>"), false},
        {"NUL", std::string("<a>\0</a>", 8), false},
        {"invalid UTF-8 byte", "<a>\xFF</a>", false},
        {"truncated UTF-8", "<a>\xE2\x82</a>", false},
        {"overlong UTF-8", "<a>\xC0\xBC</a>", false},
        {"UTF-8 surrogate", "<a>\xED\xA0\x80</a>", false},
        {"U+FFFE", "<a>\xEF\xBF\xBE</a>", false},
        {"reference to NUL", "<a>&#0;</a>", false},
        {"-- in a comment", "<a><!-- a -- b --></a>", false},
        {"]]> in text", "<a>]]></a>", false},
        {"doctype", "<!DOCTYPE a><a/>", false},
    };
    for (const Case& test : cases) {
        XmlChecker checker;
        EXPECT_EQ(checker.Check(test.document), test.wellFormed)
            << test.what << ": " << checker.error();
    }
}

// ---- reading the picture ---------------------------------------------------

struct Picture {
    std::string svg;
    std::vector<Element> elements;

    std::vector<const Element*> All(const std::string& name, const std::string& style = "") const {
        std::vector<const Element*> found;
        for (const Element& element : elements) {
            if (element.name == name && (style.empty() || HasClass(element, style)))
                found.push_back(&element);
        }
        return found;
    }

    const Element& One(const std::string& name, const std::string& style) const {
        const std::vector<const Element*> found = All(name, style);
        if (found.size() != 1) throw std::runtime_error(name + "." + style + " not once");
        return *found.front();
    }

    // The text of an element and of the elements directly inside it.
    std::string TextOf(const Element& element) const {
        std::string text = element.text;
        const std::size_t index = static_cast<std::size_t>(&element - elements.data());
        for (const Element& child : elements)
            if (child.parent == index) text += child.text;
        return text;
    }

    static bool HasClass(const Element& element, const std::string& style) {
        const auto found = element.attributes.find("class");
        if (found == element.attributes.end()) return false;
        return (" " + found->second + " ").find(" " + style + " ") != std::string::npos;
    }
};

// The picture read back; fails the test when it is not well-formed.
Picture Read(const PlotData& data) {
    Picture picture{RenderPlot(data), {}};
    XmlChecker checker;
    if (!checker.Check(picture.svg)) ADD_FAILURE() << "not well-formed: " << checker.error();
    picture.elements = checker.elements();
    return picture;
}

double Number(const Element& element, const char* attribute) {
    const auto found = element.attributes.find(attribute);
    if (found == element.attributes.end()) return kNaN;
    char* end = nullptr;
    const double value = std::strtod(found->second.c_str(), &end);
    return *end == '\0' && !found->second.empty() ? value : kNaN;
}

// The circles that stand for datagrams, in document order.
std::vector<const Element*> Points(const Picture& picture) {
    return tests::DatagramCircles(picture.elements);
}

// ---- sessions as the host records them -------------------------------------

struct Edit {
    double seconds;  // applied before the first frame at or after this time
    std::size_t step;
    float value;
};

struct Play {
    std::vector<float> steps = {0.0f, 0.25f, 0.5f, 0.75f};
    float loopEnd = 1.0f;
    bool smooth = false;
    bool stepFollow = false;
    std::string command = "/fader f[0:255]";
    float rangeMin = 0.0f;
    float rangeMax = 255.0f;
    bool integer = false;
    double loopSeconds = 2.0;
    double loops = 2.0;
    double framesPerSecond = 60.0;
    std::vector<Edit> edits;
};

float Scaled(const Play& play, float stepValue) {
    const float value = (play.rangeMax - play.rangeMin) * stepValue + play.rangeMin;
    return play.integer ? std::nearbyint(value) : value;
}

// What a session of the sequencer records: a Run sample a frame; a value
// each time Run enters a step (with Smooth: at each new Run, gliding
// towards the next step), at that Run; with Step follow a value at each
// step edit, in the middle of the step edited.
PlotData Simulate(const Play& play) {
    PlotData data;
    data.pluginName = "Varnelo " + std::to_string(play.steps.size());
    data.command = play.command;
    data.rangeMin = play.rangeMin;
    data.rangeMax = play.rangeMax;
    data.integer = play.integer;
    data.smooth = play.smooth;
    data.stepFollow = play.stepFollow;
    data.steps = play.steps;
    data.loopEnd = play.loopEnd;
    data.loopSeconds = play.loopSeconds;
    const std::size_t count = play.steps.size();
    const double framesPerLoop = play.loopSeconds * play.framesPerSecond;
    const auto frames = static_cast<std::size_t>(std::lround(play.loops * framesPerLoop));
    std::size_t nextEdit = 0;
    std::size_t lastStep = count;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const double seconds = static_cast<double>(frame) / play.framesPerSecond;
        for (; nextEdit < play.edits.size() && play.edits[nextEdit].seconds <= seconds;
             ++nextEdit) {
            const Edit& edit = play.edits[nextEdit];
            data.steps[edit.step] = edit.value;
            const double middle =
                (static_cast<double>(edit.step) + 0.5) / static_cast<double>(count);
            if (play.stepFollow) data.sent.push_back({Scaled(play, edit.value), middle, true});
        }
        const double loops = static_cast<double>(frame) / framesPerLoop;
        const auto position = static_cast<float>(loops - std::floor(loops + 1e-9));
        data.run.push_back({seconds, position});
        const auto step = std::min(count - 1, static_cast<std::size_t>(position * count));
        if (play.smooth) {
            const float from = data.steps[step];
            const float to = step + 1 < count ? data.steps[step + 1] : play.loopEnd;
            const float share = position * static_cast<float>(count) - static_cast<float>(step);
            data.sent.push_back({Scaled(play, from + (to - from) * share), position, false});
        } else if (step != lastStep) {
            data.sent.push_back({Scaled(play, data.steps[step]), position, false});
        }
        lastStep = step;
    }
    return data;
}

// ---- every data set: well-formed, one circle a datagram, all on the page --

struct DataSet {
    std::string name;
    PlotData data;
};

std::vector<std::string> HostileTexts() {
    std::string alternating;
    for (int index = 0; index < 1023; ++index) alternating += index % 2 ? "\xC3\xA9" : "<&";
    return {
        "/a<b>&c\"d'e f[0:1]",
        "/a]]><!-- -- --> f",
        "/ctl\t\n\r\x01\x07\x08\x0B\x0C\x1B[31m\x7F f[0:1]",
        "\xFF\xFE/a\xC3(\xED\xA0\x80\xF4\x90\x80\x80\xC0\xAF\x80 f",
        "/nonchars\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBB\xBF\xC2\x85 f",
        "/truncated\xE2\x82",
        std::string("/nul\0after f[0:1]", 17),
        "/\xC3\xA9t\xC3\xA9 \xE2\x9C\x93 \xF0\x9F\x8E\x9B f[0:1]",
        std::string(2047, '&'),
        std::string(2047, '\x01'),
        std::string(2046, 'x') + "\xC3",
        alternating,  // 2046 characters, 3069 bytes
    };
}

std::vector<DataSet> DataSets() {
    std::vector<DataSet> sets;
    sets.push_back({"4 steps, Smooth off, 2 loops", Simulate(Play{})});
    Play smooth;
    smooth.steps = {0.1f, 0.9f, 0.3f, 0.7f, 0.2f, 1.0f, 0.0f, 0.5f};
    smooth.smooth = true;
    smooth.stepFollow = true;
    smooth.edits = {{0.9, 5, 0.4f}, {2.6, 2, 0.8f}};
    sets.push_back({"8 steps, Smooth and Step follow", Simulate(smooth)});
    Play many;
    many.steps.assign(32, 0.5f);
    many.smooth = true;
    many.loops = 20.0;  // 2400 frames, 2400 datagrams
    sets.push_back({"32 steps, thousands of frames", Simulate(many)});

    for (const std::string& text : HostileTexts()) {
        Play hostile;
        hostile.command = text;
        PlotData data = Simulate(hostile);
        data.pluginName = text;
        sets.push_back({"hostile text " + std::to_string(sets.size()), data});
    }

    const float infinity = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<float, float> ranges[] = {{255.0f, 0.0f},   {3.0f, 3.0f}, {-infinity, infinity},
                                              {0.0f, infinity}, {nan, 1.0f},  {-3e38f, 3e38f}};
    for (const auto& [min, max] : ranges) {
        Play ranged;
        ranged.rangeMin = min;
        ranged.rangeMax = max;
        sets.push_back(
            {"range " + std::to_string(min) + ":" + std::to_string(max), Simulate(ranged)});
    }

    PlotData odd = Simulate(Play{});
    odd.steps = {-0.5f, 1.5f, nan, infinity, -infinity, 0.0f, 1.0f};
    odd.loopEnd = nan;
    for (const double value : {kInfinity, -kInfinity, kNaN, 1e300, -1e300, 1e-300})
        odd.sent.push_back({value, 0.5, false});
    for (const double position : {kNaN, kInfinity, -kInfinity, -1.0, 1e300, 1.0})
        odd.sent.push_back({0.5, position, true});
    odd.sent.push_back({std::nullopt, 0.5, false});
    odd.run.push_back({kNaN, 0.5f});
    odd.run.push_back({1.0, nan});
    odd.run.push_back({1.1, infinity});
    sets.push_back({"values beyond every range", odd});

    for (const double loop : {0.0, -1.0, kNaN, kInfinity, 1e-300, 1e300}) {
        PlotData data = Simulate(Play{});
        data.loopSeconds = loop;
        sets.push_back({"loop of " + std::to_string(loop) + " s", data});
    }

    PlotData silent = Simulate(Play{});
    silent.sent.clear();
    sets.push_back({"zero datagrams", silent});
    PlotData empty;
    empty.loopEnd.reset();
    sets.push_back({"nothing at all", empty});
    PlotData unread = Simulate(Play{});
    for (PlotPoint& point : unread.sent) point.value.reset();
    sets.push_back({"nothing but datagrams without a number", unread});
    return sets;
}

bool Finite(double value) { return std::isfinite(value); }

TEST(Plot, EveryDataSetIsOneWellFormedPictureWithOneCirclePerDatagram) {
    for (const DataSet& set : DataSets()) {
        SCOPED_TRACE(set.name);
        const Picture picture = Read(set.data);
        ASSERT_FALSE(picture.elements.empty());
        ASSERT_EQ(picture.elements.front().name, "svg");
        EXPECT_EQ(picture.elements.front().attributes.at("xmlns"), "http://www.w3.org/2000/svg");
        // Exactly the datagrams' circles are in the points group; the legend's are not.
        const std::vector<const Element*> points = Points(picture);
        EXPECT_EQ(points.size(), set.data.sent.size());
        for (const Element* point : points) {
            ASSERT_LT(point->parent, picture.elements.size());
            EXPECT_EQ(picture.elements[point->parent].attributes.at("id"), "points");
        }
        const double width = Number(picture.elements.front(), "width");
        const double height = Number(picture.elements.front(), "height");
        // Geometry is numbers within the page; a path is numbers only.
        for (const Element& element : picture.elements) {
            for (const char* attribute :
                 {"x", "y", "width", "height", "cx", "cy", "r", "x1", "y1", "x2", "y2"}) {
                if (element.attributes.count(attribute) == 0) continue;
                const double value = Number(element, attribute);
                ASSERT_TRUE(Finite(value)) << element.name << " " << attribute;
                EXPECT_GE(value, 0.0) << element.name << " " << attribute;
                EXPECT_LE(value, std::max(width, height)) << element.name << " " << attribute;
            }
            if (element.name == "path") {
                EXPECT_EQ(element.attributes.at("d").find_first_not_of("M0123456789., "),
                          std::string::npos);
            }
        }
        // The Run line stays inside its lane, whatever the positions and times.
        const std::vector<const Element*> runs = picture.All("path", "run");
        if (runs.empty()) continue;
        const Element& lane = picture.One("rect", "lane");
        std::istringstream vertices(runs.front()->attributes.at("d"));
        for (std::string vertex; vertices >> vertex;) {
            if (vertex[0] == 'M') vertex.erase(0, 1);
            const std::size_t comma = vertex.find(',');
            ASSERT_NE(comma, std::string::npos) << vertex;
            const double x = std::strtod(vertex.substr(0, comma).c_str(), nullptr);
            const double y = std::strtod(vertex.substr(comma + 1).c_str(), nullptr);
            EXPECT_GE(x, Number(lane, "x")) << vertex;
            EXPECT_LE(x, Number(lane, "x") + Number(lane, "width")) << vertex;
            EXPECT_GE(y, Number(lane, "y")) << vertex;
            EXPECT_LE(y, Number(lane, "y") + Number(lane, "height")) << vertex;
        }
    }
}

// A second, independent reader where the machine has one.
TEST(Plot, PythonsXmlParserReadsEveryDataSet) {
    if (std::system("python3 -c 'import xml.dom.minidom' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no python3 with xml.dom.minidom";
    char folder[] = "/tmp/varnelo-plot-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::vector<DataSet> sets = DataSets();
    std::string command =
        "python3 -c 'import sys, xml.dom.minidom\nfor path in sys.argv[1:]: "
        "xml.dom.minidom.parse(path)'";
    for (std::size_t index = 0; index < sets.size(); ++index) {
        const std::string path = std::string(folder) + "/" + std::to_string(index) + ".svg";
        std::ofstream(path, std::ios::binary) << RenderPlot(sets[index].data);
        command += " " + path;
    }
    EXPECT_EQ(std::system((command + " 2>&1").c_str()), 0);
    for (std::size_t index = 0; index < sets.size(); ++index)
        std::remove((std::string(folder) + "/" + std::to_string(index) + ".svg").c_str());
    rmdir(folder);
}

// ---- where things are drawn ------------------------------------------------

// With Smooth off each value sent is a step's value, so its circle sits on
// the top of that step's bar, within the bar's width: the right axis and
// the left one read the same heights, whichever way the range runs.
TEST(Plot, AValueSentSitsOnTheBarOfItsStep) {
    struct Case {
        const char* what;
        float min;
        float max;
        bool integer;
    };
    const Case cases[] = {{"float 0..255", 0.0f, 255.0f, false},
                          {"inverted 255..0", 255.0f, 0.0f, false},
                          {"int32 1..12", 1.0f, 12.0f, true},
                          {"negative -1..1", -1.0f, 1.0f, false}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        Play play;
        // Multiples of 1/11, so that the int32 values fall on the bars too.
        play.steps = {1.0f / 11.0f, 1.0f, 0.0f, 7.0f / 11.0f};
        play.rangeMin = test.min;
        play.rangeMax = test.max;
        play.integer = test.integer;
        const Picture picture = Read(Simulate(play));
        const std::vector<const Element*> bars = picture.All("rect", "step");
        const std::vector<const Element*> points = Points(picture);
        ASSERT_EQ(bars.size(), 4u);
        ASSERT_EQ(points.size(), 8u);
        const double zeroY = Number(*bars[2], "y") + Number(*bars[2], "height");
        for (std::size_t index = 0; index < points.size(); ++index) {
            const Element& bar = *bars[index % 4];
            const double top = play.steps[index % 4] > 0.0f ? Number(bar, "y") : zeroY;
            EXPECT_NEAR(Number(*points[index], "cy"), top, 0.11) << "point " << index;
            EXPECT_GE(Number(*points[index], "cx"), Number(bar, "x") - 2.0);
            EXPECT_LT(Number(*points[index], "cx"), Number(bar, "x") + Number(bar, "width"));
            EXPECT_EQ(points[index]->attributes.at("class"), "sent");
        }
    }
}

// Loops are drawn over each other: the same moment of each loop is the
// same place, and the Run line starts anew at each loop.
TEST(Plot, LoopsFoldIntoOne) {
    Play play;
    play.loops = 3.0;
    play.loopSeconds = 1.5;
    const Picture picture = Read(Simulate(play));
    const std::vector<const Element*> points = Points(picture);
    ASSERT_EQ(points.size(), 12u);
    for (std::size_t index = 4; index < points.size(); ++index) {
        EXPECT_EQ(points[index]->attributes.at("cx"), points[index % 4]->attributes.at("cx"));
        EXPECT_EQ(points[index]->attributes.at("cy"), points[index % 4]->attributes.at("cy"));
    }
    const std::string path = picture.One("path", "run").attributes.at("d");
    std::size_t subpaths = 0;
    for (const char character : path) subpaths += character == 'M';
    EXPECT_EQ(subpaths, 3u) << path;
    EXPECT_NE(picture.svg.find("3 loops of 1.5 s"), std::string::npos);
}

// The chart's x axis is Run, whatever the time: a list that plays the
// steps out of order puts each value over the step it was sent for, and
// Run 1.0 over "Loop end"; the lane below runs along the time of play.
TEST(Plot, TheChartsAxisIsRunAndTheLanesIsTime) {
    PlotData data;
    data.steps = {0.0f, 0.25f, 0.5f, 0.75f};
    data.loopEnd = 1.0f;
    const float positions[] = {0.0f, 0.9f, 0.1f, 0.6f, 0.3f, 1.0f};
    for (std::size_t frame = 0; frame < std::size(positions); ++frame) {
        const double seconds = static_cast<double>(frame) / 60.0;
        data.run.push_back({seconds, positions[frame]});
        data.sent.push_back({0.5, positions[frame], false});
    }
    const Picture picture = Read(data);
    const std::vector<const Element*> bars = picture.All("rect", "step");
    const Element& loopEnd = picture.One("rect", "end");
    const std::vector<const Element*> points = Points(picture);
    ASSERT_EQ(bars.size(), 4u);
    ASSERT_EQ(points.size(), std::size(positions));
    for (std::size_t at = 0; at < points.size(); ++at) {
        SCOPED_TRACE(positions[at]);
        const Element& bar =
            positions[at] < 1.0f ? *bars[static_cast<std::size_t>(positions[at] * 4.0f)] : loopEnd;
        const double x = Number(*points[at], "cx");
        EXPECT_GE(x, Number(bar, "x") - 2.0);
        EXPECT_LT(x, Number(bar, "x") + Number(bar, "width"));
    }
    // One sample a frame, left to right in the order played.
    std::istringstream vertices(picture.One("path", "run").attributes.at("d"));
    double lastX = -1.0;
    std::size_t count = 0;
    for (std::string vertex; vertices >> vertex; ++count) {
        const double x = std::strtod(vertex.substr(vertex[0] == 'M' ? 1 : 0).c_str(), nullptr);
        EXPECT_GT(x, lastX) << vertex;
        lastX = x;
    }
    EXPECT_EQ(count, std::size(positions));
}

// What the chart cannot place is kept at its edges: beyond the range cut
// at the top or bottom and drawn hollow; no height (NaN, or a range that
// spans nothing) at the bottom; no number on the time axis line itself.
TEST(Plot, WhatDoesNotFitStaysAtTheChartsEdges) {
    enum class Where { kOne, kHalf, kAbove, kBelow, kAxis };
    struct Case {
        std::optional<double> value;
        float min;
        float max;
        bool afterEdit;
        Where where;
        const char* style;
    };
    const float infinity = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {10.0, 0.0f, 10.0f, false, Where::kOne, "sent"},
        {5.0, 0.0f, 10.0f, true, Where::kHalf, "sent edit"},
        {0.0, 10.0f, 0.0f, false, Where::kOne, "sent"},
        {20.0, 0.0f, 10.0f, false, Where::kAbove, "sent clipped"},
        {20.0, 0.0f, 10.0f, true, Where::kAbove, "sent edit clipped"},
        {kInfinity, 0.0f, 10.0f, false, Where::kAbove, "sent clipped"},
        {-5.0, 0.0f, 10.0f, false, Where::kBelow, "sent clipped"},
        {-kInfinity, 0.0f, 10.0f, false, Where::kBelow, "sent clipped"},
        {kNaN, 0.0f, 10.0f, false, Where::kBelow, "sent clipped"},
        {3.0, 3.0f, 3.0f, false, Where::kBelow, "sent clipped"},
        {1.0, 0.0f, infinity, false, Where::kBelow, "sent clipped"},
        {std::nullopt, 0.0f, 10.0f, false, Where::kAxis, "invalid"},
        {std::nullopt, 0.0f, 10.0f, true, Where::kAxis, "invalid"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::to_string(test.value.value_or(-999.0)) + " in " +
                     std::to_string(test.min) + ".." + std::to_string(test.max));
        PlotData data;
        data.steps = {0.0f, 0.5f, 1.0f};
        data.rangeMin = test.min;
        data.rangeMax = test.max;
        data.loopSeconds = 3.0;
        data.sent.push_back({test.value, 0.5, test.afterEdit});
        const Picture picture = Read(data);
        const std::vector<const Element*> bars = picture.All("rect", "step");
        const Element& chart = picture.One("rect", "frame");
        ASSERT_EQ(bars.size(), 3u);
        const double zeroY = Number(*bars[0], "y") + Number(*bars[0], "height");
        const double halfY = Number(*bars[1], "y");
        const double oneY = Number(*bars[2], "y");
        const double chartTop = Number(chart, "y");
        const double chartBottom = chartTop + Number(chart, "height");
        const std::vector<const Element*> points = Points(picture);
        ASSERT_EQ(points.size(), 1u);
        const double y = Number(*points[0], "cy");
        EXPECT_EQ(points[0]->attributes.at("class"), test.style);
        switch (test.where) {
        case Where::kOne: EXPECT_NEAR(y, oneY, 0.11); break;
        case Where::kHalf: EXPECT_NEAR(y, halfY, 0.11); break;
        case Where::kAbove:
            EXPECT_GT(y, chartTop);
            EXPECT_LT(y, oneY);
            break;
        case Where::kBelow:
            EXPECT_GT(y, zeroY);
            EXPECT_LT(y, chartBottom);
            break;
        case Where::kAxis: EXPECT_EQ(y, chartBottom); break;
        }
    }
}

// ---- texts -------------------------------------------------------------------

// The command as the title shows it, once the XML is read back.
std::string CommandShown(const std::string& command) {
    PlotData data;
    data.pluginName = "Varnelo 4";
    data.command = command;
    const Picture picture = Read(data);
    for (const Element* span : picture.All("tspan", "mono")) return span->text;
    return "(no command in the title)";
}

TEST(Plot, TheTitleShowsTheCommandAsTypedWithWhatIsNoTextReplaced) {
    const std::string r = kReplacement;
    const struct {
        std::string command;
        std::string shown;
    } cases[] = {
        {"/fader f[0:255]", "/fader f[0:255]"},
        {"/a<b>&c\"d'e f", "/a<b>&c\"d'e f"},
        {"/\xC3\xA9t\xC3\xA9 \xE2\x9C\x93 \xF0\x9F\x8E\x9B",
         "/\xC3\xA9t\xC3\xA9 \xE2\x9C\x93 \xF0\x9F\x8E\x9B"},
        {"/a\x01\x1B[1m\tb", "/a" + r + r + "[1m" + r + "b"},
        {"/a\x7F\xC2\x85", "/a" + r + r},
        {"/a\xFF"
         "b",
         "/a" + r + "b"},
        {"/a\xC0\xAF", "/a" + r + r},
        {"/a\xED\xA0\x80", "/a" + r + r + r},
        {"/a\xF4\x90\x80\x80", "/a" + r + r + r + r},
        {"/a\xEF\xBF\xBE\xEF\xBB\xBF", "/a" + r + r},
        {"/a\xE2\x82", "/a" + r + r},
        {std::string("/a\0b", 4), "/a" + r + "b"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(CommandShown(test.command), test.shown) << test.command;
}

// A command of the longest length the plug-in keeps is shortened to fit
// the line, whole characters only, and says so with "…".
TEST(Plot, ALongCommandIsShortenedToWholeCharacters) {
    for (const std::string& piece : {std::string("x"), std::string("\xC3\xA9"),
                                     std::string("\xF0\x9F\x8E\x9B"), std::string("&")}) {
        std::string command;
        while (command.size() + piece.size() <= 2047) command += piece;
        const std::string shown = CommandShown(command);
        ASSERT_GE(shown.size(), piece.size() + 3);
        EXPECT_EQ(shown.substr(shown.size() - 3), kEllipsis);
        const std::string kept = shown.substr(0, shown.size() - 3);
        EXPECT_EQ(kept.size() % piece.size(), 0u);
        EXPECT_EQ(command.compare(0, kept.size(), kept), 0);
        EXPECT_GE(kept.size() / piece.size(), 40u);
        EXPECT_LE(kept.size() / piece.size(), 100u);
    }
}

TEST(Plot, TheSubtitleNamesTheSwitches) {
    for (const int bits : {0, 1, 2, 4, 7}) {
        PlotData data;
        data.smooth = bits & 1;
        data.stepFollow = bits & 2;
        data.bundle = bits & 4;
        const Picture picture = Read(data);
        const std::string subtitle = picture.TextOf(picture.One("text", "sub"));
        const auto onOff = [](bool on) { return std::string(on ? " on" : " off"); };
        EXPECT_NE(subtitle.find("Smooth" + onOff(data.smooth)), std::string::npos) << subtitle;
        EXPECT_NE(subtitle.find("Step follow" + onOff(data.stepFollow)), std::string::npos);
        EXPECT_NE(subtitle.find("OSC Bundle" + onOff(data.bundle)), std::string::npos);
    }
}

// ---- size ----------------------------------------------------------------------

// A long session stays a file to open: a few tens of bytes a datagram, and a
// Run line no finer than the picture can show.
TEST(Plot, ALongSessionStaysSmall) {
    Play play;
    play.smooth = true;
    play.loops = 100.0;  // 12000 frames, 12000 datagrams
    const PlotData busy = Simulate(play);
    const std::string svg = RenderPlot(busy);
    EXPECT_LT(svg.size(), 16384 + 60 * busy.sent.size() + 16 * busy.run.size());

    Play slow;
    slow.loops = 1.0;
    slow.loopSeconds = 120.0;  // 7200 frames along one line
    const Picture picture = Read(Simulate(slow));
    const std::string path = picture.One("path", "run").attributes.at("d");
    std::size_t pairs = 0;
    for (const char character : path) pairs += character == ',';
    EXPECT_GT(pairs, 100u);
    EXPECT_LT(pairs, 2000u);
}

// ---- the argument's number and the file --------------------------------------

TEST(NumberFromArgument, ReadsTheNumericTypesOnly) {
    const struct {
        char tag;
        const char* text;
        std::optional<double> number;
    } cases[] = {
        {'f', "127.5", 127.5},
        {'f', "0.1", 0.1},
        {'f', "1e3", 1000.0},
        {'f', "-inf", -kInfinity},
        {'i', "-2147483648", -2147483648.0},
        {'h', "9007199254740992", 9007199254740992.0},
        {'d', "0.30000000000000004", 0.30000000000000004},
        {'s', "\"1\"", std::nullopt},
        {'T', "true", std::nullopt},
        {'m', "midi:00000000", std::nullopt},
        {'\0', "1", std::nullopt},
        {'f', "", std::nullopt},
        {'f', "1.5x", std::nullopt},
        {'f', " 1", std::nullopt},
        {'f', "1,5", std::nullopt},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(varnelohost::NumberFromArgument(test.tag, test.text), test.number)
            << test.tag << " " << test.text;
    }
    for (const char* text : {"nan", "-nan"}) {
        const std::optional<double> number = varnelohost::NumberFromArgument('f', text);
        ASSERT_TRUE(number.has_value()) << text;
        EXPECT_TRUE(std::isnan(*number)) << text;
    }
}

TEST(WritePlot, WritesThePictureOrSaysInOneLineWhyNot) {
    char folder[] = "/tmp/varnelo-plot-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const PlotData data = Simulate(Play{});
    const std::string path = std::string(folder) + "/loop.svg";
    std::string error;
    ASSERT_TRUE(varnelohost::WritePlot(path, data, &error)) << error;
    std::ifstream file(path, std::ios::binary);
    std::stringstream written;
    written << file.rdbuf();
    EXPECT_EQ(written.str(), RenderPlot(data));

    for (const std::string& unwritable :
         {std::string(folder) + "/missing/loop.svg", std::string(folder), std::string("")}) {
        error.clear();
        EXPECT_FALSE(varnelohost::WritePlot(unwritable, data, &error)) << unwritable;
        EXPECT_NE(error.find(unwritable.empty() ? "\"\"" : unwritable), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    std::remove(path.c_str());
    rmdir(folder);
}

}  // namespace
