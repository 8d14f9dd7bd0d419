// The battle renderer: the update half (camera, flash, ambient effects, depth overlays, sprite
// placing) and the draw of the scene, whose world layer (priority 128) is sorted by depth, leaves
// out what is nowhere in view, cuts sinking sprites at the ground and draws the shadows of lifted ones.
#pragma once
#include <cstdint>

struct LIST_NODE;

// The player's follow-up, the camera with the quake offset, the hit flash, ambient effects, the
// depth overlays and the sprite placing, once per update frame.
void BTL_RenderUpdate();
// With update, BTL_RenderUpdate first. Then the scene with the draw offset (x, y): the display
// objects behind the world layer (the map and its background), the shadows of the ground pass, the
// world list, and the objects in front of it (the HUD). The draw offset is put back afterwards.
void BTL_RenderScene(int32_t x, int32_t y, int update);
// Draws the scene into the render target: the battle scene as the camera sees it while a stage is
// loaded, otherwise every visible display object by priority.
void BTL_DrawScene();

// The world list: visible display objects of priority 128 whose owner is a live pool node showing
// them, by y ascending (at equal y a depth overlay comes after, in front of, the other objects;
// otherwise equal y keep the sprite layer's order: the lower id last, in front),
// without those whose node is out of view (off-view byte 255) with its ground part not in view
// either (ground-done flag 0). Fills up to 1024 ids and an end mark 0xFFFF; the count.
int BTL_GatherSprites(uint16_t* list);
// One display object of the scene: an animated one, unless its node's animation is negative, with
// its own look and, with its ground clip on, cut at its lift line (the ground under it, where it
// stands at lift 0); stills and callbacks as the sprite layer draws them. 1 when drawn.
int BTL_BlitSprite(int id);
// An animated object's pattern drawn with the given draw flags (mirror and blend bits, the
// blitters' flip byte) and blend level, lift and vertical scale, cut at row cut_y of the target
// (INT32_MAX: none). 1 when drawn.
int BTL_BlitSpriteFlip(int id, uint32_t flags, uint16_t blend, int32_t lift, uint16_t scale_y, int32_t cut_y);
// The shadow of a node's animated object: its pattern standing on the lift line at half height,
// mixed 50 % with black. The ground pass (ground 1) draws it for the first draw-parts word while
// the object is lifted; the world list (ground 0) for the second, just before the object.
// 1 when drawn.
int BTL_BlitParts(const LIST_NODE* node, int id, int ground);
// The live pool node that shows the display object, or null.
LIST_NODE* BTL_SpriteNode(int id);
