// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The GPU presenter: EGL and OpenGL ES 2 on the native window a display hands
// over; one texture updated every frame, drawn as two triangles through the
// scan-line shader, scaled to the display with the frame's aspect kept.
#include "2platform/raspberrypi.h"

#include "2platform/display.h"

#include <GLES2/gl2.h>
#include <cstdio>
#include <cstring>
#ifdef BLOMP_SANITIZE
#include <dlfcn.h>
#include <link.h>
#endif

// The sizes are highp and the ratio of texture to frame width is taken first:
// multiplied out in mediump, which a GPU may run as 16-bit floats, the width
// product (3.1415 x 1920 x 320) overflows and the picture turns black.
const char* gles2VertexSource = "attribute vec4 VertexCoord;\n"
                                "attribute vec4 TexCoord;\n"
                                "uniform mat4 MVPMatrix;\n"
                                "uniform highp vec2 OutputSize;\n"
                                "uniform highp vec2 TextureSize;\n"
                                "uniform highp vec2 InputSize;\n"
                                "varying vec4 TEX0;\n"
                                "varying vec4 TEX2;\n"
                                "void main() {\n"
                                "    gl_Position = MVPMatrix * VertexCoord;\n"
                                "    TEX0.xy = TexCoord.xy;\n"
                                "    TEX2.xy = vec2(3.1415 * OutputSize.x * (TextureSize.x / InputSize.x),\n"
                                "                   6.283 * TextureSize.y);\n"
                                "}\n";

// One full sine period per frame row (the scan lines, +-0.15) and one per two
// output columns (+-0.05) around a brightness of 0.95. The phases reach 1508 (240
// rows): in 16-bit floats they would be whole numbers and the lines would come
// out at random, so highp where the GPU has it in fragment shaders.
const char* gles2FragmentSource =
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
    "precision highp float;\n"
    "#else\n"
    "precision mediump float;\n"
    "#endif\n"
    "uniform sampler2D Texture;\n"
    "varying vec4 TEX0;\n"
    "varying vec4 TEX2;\n"
    "void main() {\n"
    "    vec4 s = texture2D(Texture, TEX0.xy);\n"
    "    vec2 t = TEX0.xy * TEX2.xy;\n"
    "    float k = 0.05 * sin(t.x) + 0.15 * sin(t.y);\n"
    "    gl_FragColor = vec4(s.r * (0.95 + k), s.g * (0.95 + k), s.b * (0.95 + k), 1.0);\n"
    "}\n";

namespace {

// The display's state while it runs; nothing outside this file sees it.
struct dispvars_t {
    EGLDisplay egl_display;               // the display's EGL display
    EGLConfig egl_config;                 // the chosen frame-buffer configuration
    EGLContext egl_context;               // the OpenGL ES 2 context
    EGLSurface egl_surface;               // the window (or off-screen) surface
    uint32_t screen_width, screen_height; // the display size in pixels
    uint32_t input_width, input_height;   // the frame size, also the texture size
    float scale_x, scale_y;               // the share of the display the picture covers
    uint32_t output_width, output_height; // the picture's size on the display
    const void* pixels;                   // the frame surface's pixels, uploaded each frame
    uint32_t pixel_type;                  // GL type of a texel: 5-6-5 words or bytes
};

struct ShaderInfo {
    GLuint program;
    GLint u_mvp, a_vertex, a_texcoord, u_input, u_output, u_texsize;
};

dispvars_t dispvars;            // the one display
bool running;                   // pi_init has begun and pi_deinit not yet given it all back
const VideoDisplay* windowFrom; // the display whose native window EGL draws into
ShaderInfo shader;              // the linked program and its locations
GLuint texture;                 // the frame's texture
GLuint buffers[3];              // positions, texture coordinates, indices
char failure[256];              // why pi_init failed
PFNEGLGETPLATFORMDISPLAYEXTPROC getPlatformDisplay;

const GLfloat vertices[4 * 3] = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0, -0.5f, 0.5f, 0};
GLfloat uvs[4 * 2];
const GLushort indices[6] = {0, 1, 2, 0, 2, 3};
GLfloat proj[16];

const EGLint context_attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};

constexpr int MAX_CONFIGS = 64; // frame-buffer configurations looked at for a matching visual

// Records why the set-up failed; the first reason wins.
int fail(const char* what) {
    if (!failure[0]) snprintf(failure, sizeof failure, "%s (EGL error 0x%x)", what, (unsigned)eglGetError());
    return 0;
}

// The configurations with 8 bits per channel for the display's surface kind,
// those whose native visual is the window's first; returns how many.
int chooseConfigs(const DisplayTarget& t, EGLConfig* out, int room) {
    const EGLint attribute_list[] = {
        EGL_RED_SIZE,  8,       EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_SURFACE_TYPE,
        t.surface_bit, EGL_NONE};
    const EGLint opaque_list[] = {
        EGL_RED_SIZE,  8,       EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 0, EGL_SURFACE_TYPE,
        t.surface_bit, EGL_NONE};
    EGLConfig found[MAX_CONFIGS];
    int n = 0;
    // A window of 24 bits has no alpha channel: its configurations are asked for as well.
    const EGLint* const lists[2] = {attribute_list, opaque_list};
    for (int pass = 0; pass < 2; pass++)
        for (const EGLint* list : lists) {
            EGLint count = 0;
            if (!eglChooseConfig(dispvars.egl_display, list, found, MAX_CONFIGS, &count)) continue;
            for (int i = 0; i < count && n < room; i++) {
                EGLint visual = 0;
                eglGetConfigAttrib(dispvars.egl_display, found[i], EGL_NATIVE_VISUAL_ID, &visual);
                const bool exact = t.visual_id == 0 || visual == t.visual_id;
                if (exact != (pass == 0)) continue;
                bool seen = false;
                for (int k = 0; k < n; k++) seen = seen || out[k] == found[i];
                if (!seen) out[n++] = found[i];
            }
        }
    return n;
}

// A surface on the display's window (or off screen) for the first configuration
// that takes one: a window made by someone else may have a visual that no
// configuration names but several can draw to.
int createSurface(const DisplayTarget& t) {
    EGLConfig configs[MAX_CONFIGS];
    const int n = chooseConfigs(t, configs, MAX_CONFIGS);
    for (int i = 0; i < n; i++) {
        if (t.surface_bit == EGL_PBUFFER_BIT) {
            const EGLint size[] = {EGL_WIDTH, (EGLint)t.width, EGL_HEIGHT, (EGLint)t.height, EGL_NONE};
            dispvars.egl_surface = eglCreatePbufferSurface(dispvars.egl_display, configs[i], size);
        } else {
            dispvars.egl_surface =
                eglCreateWindowSurface(dispvars.egl_display, configs[i], t.window, nullptr);
        }
        if (dispvars.egl_surface != EGL_NO_SURFACE) {
            dispvars.egl_config = configs[i];
            return 1;
        }
    }
    return 0;
}

// EGL on the display's native window: display, configuration, context, surface;
// the swap waits for the display's refresh. Returns 0 on the first failure.
int pi_init_egl(const VideoDisplay* d) {
    DisplayTarget t = {};
    const char* why = "the display cannot be opened";
    if (!d->window(&t, &why)) {
        snprintf(failure, sizeof failure, "%s: %s", d->name, why);
        return 0;
    }
    windowFrom = d;
    dispvars.screen_width = t.width;
    dispvars.screen_height = t.height;
    if (!getPlatformDisplay)
        getPlatformDisplay = (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    if (!getPlatformDisplay) return fail("_dispvars->egl_display != ((EGLDisplay)0)");
    dispvars.egl_display = getPlatformDisplay(t.platform, t.native_display, nullptr);
    if (dispvars.egl_display == EGL_NO_DISPLAY) return fail("_dispvars->egl_display != ((EGLDisplay)0)");
    if (!eglInitialize(dispvars.egl_display, nullptr, nullptr)) {
        dispvars.egl_display = EGL_NO_DISPLAY;
        return fail("((EGLBoolean)0) != result");
    }
    if (!eglBindAPI(EGL_OPENGL_ES_API)) return fail("((EGLBoolean)0) != result");
    if (!createSurface(t)) return fail("_dispvars->egl_surface != ((EGLSurface)0)");
    dispvars.egl_context =
        eglCreateContext(dispvars.egl_display, dispvars.egl_config, EGL_NO_CONTEXT, context_attributes);
    if (dispvars.egl_context == EGL_NO_CONTEXT) return fail("_dispvars->egl_context != ((EGLContext)0)");
    if (!eglMakeCurrent(dispvars.egl_display, dispvars.egl_surface, dispvars.egl_surface,
                        dispvars.egl_context))
        return fail("((EGLBoolean)0) != result");
    eglSwapInterval(dispvars.egl_display, 1);
    return 1;
}

// Compiles one shader; prints the log and returns 0 when it does not compile.
GLuint compileShader(GLenum type, const char* source) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (ok) return s;
    GLint length = 0;
    glGetShaderiv(s, GL_INFO_LOG_LENGTH, &length);
    if (length > 1) {
        char log[2048];
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        printf("Error compiling shader:\n%s\n", log);
    } else {
        printf("Error compiling shader:\n\n");
    }
    fflush(stdout);
    glDeleteShader(s);
    return 0;
}

// The scan-line program: compiled, linked, its locations looked up and its sizes
// set once. Returns 0 (message and log printed) when a shader fails.
int gles2_init_shaders() {
    memset(&shader, 0, sizeof shader);
    GLuint vs = compileShader(GL_VERTEX_SHADER, gles2VertexSource);
    if (!vs) return 0;
    GLuint fs = compileShader(GL_FRAGMENT_SHADER, gles2FragmentSource);
    if (!fs) {
        glDeleteShader(vs);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    glDeleteShader(vs);
    glDeleteShader(fs);
    if (!ok) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        char log[2048] = "";
        if (length > 1) glGetProgramInfoLog(program, sizeof log, nullptr, log);
        printf("Error linking program:\n%s\n", log);
        fflush(stdout);
        glDeleteProgram(program);
        return 0;
    }
    shader.program = program;
    shader.u_mvp = glGetUniformLocation(program, "MVPMatrix");
    shader.a_texcoord = glGetAttribLocation(program, "TexCoord");
    shader.a_vertex = glGetAttribLocation(program, "VertexCoord");
    shader.u_input = glGetUniformLocation(program, "InputSize");
    shader.u_output = glGetUniformLocation(program, "OutputSize");
    shader.u_texsize = glGetUniformLocation(program, "TextureSize");
    glUseProgram(program);
    glUniform2f(shader.u_input, (GLfloat)dispvars.input_width, (GLfloat)dispvars.input_height);
    glUniform2f(shader.u_output, (GLfloat)dispvars.output_width, (GLfloat)dispvars.output_height);
    glUniform2f(shader.u_texsize, (GLfloat)dispvars.input_width, (GLfloat)dispvars.input_height);
    return 1;
}

// The frame's texture: linear filtering, clamped edges, in the frame's own layout.
void gles2_init_texture() {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, (GLsizei)dispvars.input_width, (GLsizei)dispvars.input_height, 0,
                 GL_RGB, dispvars.pixel_type, nullptr);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
}

// The rectangle: four corners at +-0.5, scaled by the projection to the picture's
// share of the display, y flipped so that the frame's top row is at the top.
void gles2_init_geometry() {
    const GLfloat corners[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    memcpy(uvs, corners, sizeof uvs);
    glGenBuffers(3, buffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ARRAY_BUFFER, sizeof uvs, uvs, GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[2]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);
    glClearColor(0, 0, 0, 1);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_DITHER);
    glDisable(GL_BLEND);
    memset(proj, 0, sizeof proj);
    proj[0] = 2 * dispvars.scale_x;
    proj[5] = -2 * dispvars.scale_y;
    proj[10] = -1;
    proj[15] = 1;
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glVertexAttribPointer((GLuint)shader.a_vertex, 3, GL_FLOAT, GL_FALSE, 12, nullptr);
    glEnableVertexAttribArray((GLuint)shader.a_vertex);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
    glVertexAttribPointer((GLuint)shader.a_texcoord, 2, GL_FLOAT, GL_FALSE, 8, nullptr);
    glEnableVertexAttribArray((GLuint)shader.a_texcoord);
    glViewport(0, 0, (GLsizei)dispvars.screen_width, (GLsizei)dispvars.screen_height);
    glUniformMatrix4fv(shader.u_mvp, 1, GL_FALSE, proj);
}

#ifdef BLOMP_SANITIZE
// Leak-checking builds only: every library loaded now (Mesa's driver among them)
// stays loaded after eglTerminate, so that the leak checker at exit can still
// name what they keep and the suppressions for Mesa apply.
void keepLibrariesLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0])
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}
#else
void keepLibrariesLoaded() {}
#endif

} // namespace

// The aspect rule: the picture fills the display's height when the display is
// relatively wider than the frame, else its width. Called by pi_init and the tests.
void gles2_aspect(uint32_t w, uint32_t h, uint32_t sw, uint32_t sh, float* scale_x, float* scale_y,
                  uint32_t* out_w, uint32_t* out_h) {
    *scale_x = *scale_y = 1.0f;
    *out_w = sw;
    *out_h = sh;
    const float f = (float)h / (float)w;
    const float d = (float)sh / (float)sw;
    if (d < f) {
        *scale_x = d / f;
        *out_w = (uint32_t)(*scale_x * (float)sw);
    } else {
        *scale_y = f / d;
        *out_h = (uint32_t)(*scale_y * (float)sh);
    }
}

// Brings the GPU display up on display d's window. Called by gpuOpen (and the tests).
int pi_init(const VideoDisplay* d, int width, int height, int depth, int keep_aspect, const void* pixels) {
    memset(&dispvars, 0, sizeof dispvars);
    failure[0] = 0;
    running = true; // pi_deinit gives back whatever the steps below reach
    if (!pi_init_egl(d)) {
        pi_deinit();
        return 0;
    }
    keepLibrariesLoaded(); // before anything can fail: the driver is loaded by now
    dispvars.pixels = pixels;
    dispvars.pixel_type = depth == 24 ? GL_UNSIGNED_BYTE : GL_UNSIGNED_SHORT_5_6_5;
    dispvars.input_width = (uint32_t)width;
    dispvars.input_height = (uint32_t)height;
    dispvars.output_width = dispvars.screen_width;
    dispvars.output_height = dispvars.screen_height;
    dispvars.scale_x = dispvars.scale_y = 1.0f;
    if (keep_aspect)
        gles2_aspect(dispvars.input_width, dispvars.input_height, dispvars.screen_width,
                     dispvars.screen_height, &dispvars.scale_x, &dispvars.scale_y, &dispvars.output_width,
                     &dispvars.output_height);
    if (!gles2_init_shaders()) {
        snprintf(failure, sizeof failure, "the scan-line shader cannot be built");
        pi_deinit();
        return 0;
    }
    gles2_init_texture();
    gles2_init_geometry();
    return 1;
}

// Uploads the frame and draws it. The areas beside the picture are cleared too:
// otherwise they would show whatever the display's buffers held. Called by gpuPresent.
void gles2_draw() {
    glClear(GL_COLOR_BUFFER_BIT);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, (GLsizei)dispvars.input_width, (GLsizei)dispvars.input_height,
                    GL_RGB, dispvars.pixel_type, dispvars.pixels);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
}

// Shows the drawn picture; with a swap interval of 1 this waits for the display's
// next refresh. Called by gpuPresent after gles2_draw.
void pi_videoflip() {
    eglSwapBuffers(dispvars.egl_display, dispvars.egl_surface);
    if (windowFrom && windowFrom->afterSwap) windowFrom->afterSwap();
}

// Gives back everything pi_init took, whatever step it reached. Called by
// gpuClose (videoClose) and by pi_init after a failure.
void pi_deinit() {
    if (!running) return;
    if (dispvars.egl_context != EGL_NO_CONTEXT && dispvars.egl_surface != EGL_NO_SURFACE) {
        if (shader.program) {
            glDeleteProgram(shader.program);
            glDeleteBuffers(3, buffers);
            glDeleteTextures(1, &texture);
        }
    }
    memset(&shader, 0, sizeof shader);
    texture = 0;
    memset(buffers, 0, sizeof buffers);
    if (dispvars.egl_display != EGL_NO_DISPLAY) {
        eglMakeCurrent(dispvars.egl_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (dispvars.egl_surface != EGL_NO_SURFACE)
            eglDestroySurface(dispvars.egl_display, dispvars.egl_surface);
        if (dispvars.egl_context != EGL_NO_CONTEXT)
            eglDestroyContext(dispvars.egl_display, dispvars.egl_context);
        eglTerminate(dispvars.egl_display);
        eglReleaseThread();
    }
    if (windowFrom) windowFrom->release();
    windowFrom = nullptr;
    memset(&dispvars, 0, sizeof dispvars);
    running = false;
}

// The display's size and the picture's on it while the GPU display runs; 0 when
// none runs. Called by the tests and blompdisplaybench.
int pi_picture_size(uint32_t* screen_w, uint32_t* screen_h, uint32_t* picture_w, uint32_t* picture_h) {
    if (!running) return 0;
    *screen_w = dispvars.screen_width;
    *screen_h = dispvars.screen_height;
    *picture_w = dispvars.output_width;
    *picture_h = dispvars.output_height;
    return 1;
}

// Why the last pi_init failed. Read by videoOpen for its message.
const char* pi_error() {
    return failure;
}
