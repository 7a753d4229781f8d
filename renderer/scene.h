// The ring-flight scene: six tinted, tilted rings growing out of the centre on
// black, blended additively, while the group tumbles.
#pragma once
#include "ring_model.h"
#include "saver_contract.h"  // the hand-off path that the launcher writes before it starts us
#include "texture.h"

// One-time set-up: projection, camera, rings, texture, blending. Always true.
bool InitScene();
// The perspective for the client size now recorded, leaving the camera and the
// flight as they are: a display change that alters the screen's shape keeps
// the rings round. Ends in the model-view mode.
void FitProjection();
// Draws one frame into the back buffer and advances by frameSeconds.
void DrawScene();
void SpawnRing(int i);
void DrawRing(int i);

// The scene's state, for tests and for the shell's shutdown.
RingFlight& SceneFlight();
Texture& SceneTexture();
