#include "scene.h"

#include "gl_api.h"
#include "shell_state.h"

namespace {
RingFlight flight;
Texture ringTexture;
}  // namespace

RingFlight& SceneFlight() { return flight; }
Texture& SceneTexture() { return ringTexture; }

void SpawnRing(int i) { flight.SpawnRing(i); }

bool InitScene() {
    glViewport(0, 0, clientWidth, clientHeight);
    FitProjection();
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -3.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    flight.SpawnAll();
    ringTexture.LoadBMP(kHandOffPath);  // without it the squares show their tints
    ringTexture.Bind();
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    return true;
}

void FitProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height cannot come from a full-screen window; guard the division.
    const double aspect =
        clientHeight != 0 ? static_cast<double>(clientWidth) / static_cast<double>(clientHeight) : 1.0;
    gluPerspective(55.0, aspect, 1.0, 20.0);
    glMatrixMode(GL_MODELVIEW);
}

void DrawScene() {
    glClear(GL_COLOR_BUFFER_BIT);
    glPushMatrix();
    glRotatef(flight.spinX, 1.0f, 0.0f, 0.0f);
    glRotatef(flight.spinY, 0.0f, 1.0f, 0.0f);
    glRotatef(flight.spinZ, 0.0f, 0.0f, 1.0f);
    flight.AdvanceSpin(frameSeconds);
    for (int i = 0; i < kRingCount; ++i) DrawRing(i);
    glPopMatrix();
}

void DrawRing(int i) {
    const RingSet& r = flight.rings;
    glPushMatrix();
    glScalef(r.scale[i], r.scale[i], r.scale[i]);
    const float fade = RingFade(r.scale[i], r.limit[i]);
    glRotatef(r.angle[i], 1.0f, 0.0f, 0.0f);
    glRotatef(r.angle[i], 0.0f, 1.0f, 0.0f);
    glRotatef(r.angle[i], 0.0f, 0.0f, 1.0f);
    glColor3f(fade * r.red[i], fade * r.green[i], fade * r.blue[i]);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(1.0f, -1.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glEnd();
    flight.AdvanceRing(i, frameSeconds);
    glPopMatrix();
}
