// text_overlay.cpp -- the help and notice text over the frame.
#include "render/text_overlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include <stb_easy_font.h>

constexpr double SMALLEST_WIDTH = 200.0, SMALLEST_HEIGHT = 150.0;  // the window's start size
constexpr double MAX_TEXT_SCALE = 4.0;  // beyond this the help covers the scene for no gain
constexpr double MARGIN = 3.0;          // font units around the text
constexpr int QUADS_PER_LINE = 1000;    // stb_easy_font needs at most ~ 10 quads per character
constexpr float PANEL_ALPHA = 0.65f;    // dark enough to read over a bright sky, the scene still shows

double OverlayTextScale(int width, int height) {
    double fit = std::min(width / SMALLEST_WIDTH, height / SMALLEST_HEIGHT);
    return std::clamp(std::floor(fit), 1.0, MAX_TEXT_SCALE);
}

double TextWidth(const std::string& line) {
    return stb_easy_font_width(const_cast<char*>(line.c_str()));
}

std::vector<std::string> WrapText(const std::string& text, double maxWidth) {
    std::vector<std::string> lines;
    std::string line;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find(' ', i);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(i, end - i);
        i = end + 1;
        std::string joined = line.empty() ? word : line + " " + word;
        if (TextWidth(joined) <= maxWidth) {
            line = joined;
            continue;
        }
        if (!line.empty()) lines.push_back(line);
        line = word;
        while (line.size() > 1 && TextWidth(line) > maxWidth) {
            size_t fits = line.size() - 1;
            while (fits > 1 && TextWidth(line.substr(0, fits)) > maxWidth) fits--;
            lines.push_back(line.substr(0, fits));
            line = line.substr(fits);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// One line at (x, y) in font units, in the current colour.
static void DrawLine(const std::string& line, double x, double y) {
    float buffer[QUADS_PER_LINE * 4 * 4];  // 4 vertices of 16 bytes per quad
    int quads = stb_easy_font_print((float)x, (float)y, const_cast<char*>(line.c_str()), nullptr,
                                    buffer, sizeof buffer);
    glBegin(GL_QUADS);
    for (int v = 0; v < quads * 4; v++) glVertex2f(buffer[v * 4], buffer[v * 4 + 1]);
    glEnd();
}

static void DrawPanel(double x, double y, double width, double height) {
    glColor4f(0.0f, 0.0f, 0.0f, PANEL_ALPHA);
    glBegin(GL_QUADS);
    glVertex2d(x, y);
    glVertex2d(x + width, y);
    glVertex2d(x + width, y + height);
    glVertex2d(x, y + height);
    glEnd();
}

static double WidestLine(const std::vector<std::string>& lines) {
    double widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, TextWidth(line));
    return widest;
}

// The help, shrunk below the notices' scale when the window is too small
// to hold it whole.
static void DrawHelp(const std::vector<std::string>& help, double scale, double width,
                     double height) {
    double boxWidth = WidestLine(help) + 2 * MARGIN;
    double boxHeight = help.size() * TEXT_LINE_HEIGHT + 2 * MARGIN;
    double fit = std::min(width / boxWidth, height / boxHeight);
    glPushMatrix();
    glScaled(std::min(scale, fit), std::min(scale, fit), 1.0);
    DrawPanel(0, 0, boxWidth, boxHeight);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (size_t i = 0; i < help.size(); i++)
        DrawLine(help[i], MARGIN, MARGIN + i * TEXT_LINE_HEIGHT);
    glPopMatrix();
}

static void DrawNotices(const std::vector<std::string>& notices, double scale, double width,
                        double height) {
    std::vector<std::string> lines;
    for (const std::string& notice : notices)
        for (const std::string& line : WrapText(notice, width / scale - 2 * MARGIN))
            lines.push_back(line);
    double bandHeight = lines.size() * TEXT_LINE_HEIGHT + 2 * MARGIN;
    double top = height / scale - bandHeight;
    glPushMatrix();
    glScaled(scale, scale, 1.0);
    DrawPanel(0, top, width / scale, bandHeight);
    glColor4f(1.0f, 0.85f, 0.3f, 1.0f);  // amber: apart from the help's white
    for (size_t i = 0; i < lines.size(); i++)
        DrawLine(lines[i], MARGIN, top + MARGIN + i * TEXT_LINE_HEIGHT);
    glPopMatrix();
}

void DrawTextOverlay(const std::vector<std::string>& help, const std::vector<std::string>& notices) {
    if (help.empty() && notices.empty()) return;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    double width = viewport[2], height = viewport[3];
    if (width < 1 || height < 1) return;
    double scale = OverlayTextScale(viewport[2], viewport[3]);

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -1.0, 1.0);  // y down, as the font lays out lines
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);  // so that the text's colours leave the material alone
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    if (!help.empty()) DrawHelp(help, scale, width, height);
    if (!notices.empty()) DrawNotices(notices, scale, width, height);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();  // matrix mode, enables, colour, blend and polygon mode as they were
}
