#pragma once

#include <cstdint>
#include <string>

#include "platform/Geometry.h"

class CPlayerCardView;
class CSprite;
class CSpriteList;

// The interpreter of the sprites' events in the player: the 34 click actions and the 6 move actions, with
// the steps of entering a card that several of them share. It works on the view's document and view
// state; dialogs, titles and the shell go through the view's host. A ".anm" scene shown without cards
// gets a reduced set of click actions, and moves that only change frames.
class CPlayerActions {
  public:
    explicit CPlayerActions(CPlayerCardView& view) : view_(view) {}

    // A left-button-down on `sprite` at `point`.
    void RunClickAction(CSprite* sprite, const platform::Point& point);
    // The pointer came onto or went off `sprite`.
    void RunEnterAction(CSprite* sprite);
    void RunLeaveAction(CSprite* sprite);
    // A left-button-down on empty space: the open menu, if any, goes away.
    void CloseMenu();
    // Places the volume knob for the present volume and shows the mute sprite that fits, composing and
    // drawing what that changed; not when the caller composes and draws the whole card right after.
    void InitVolumeWidget(bool wholeCardAfter = false);
    // Moves the volume knob, if the title has one on its bar, to where the volume `v` (0 to 65535) lies.
    void PlaceVolumeKnob(uint32_t v);
    // Sets the wave volume (left channel low, right channel high) and reports it.
    void SetVolume(uint32_t volume);
    // Mutes or unmutes as a click on the mute sprite showing would, also when the title has none.
    void ToggleMute();

    // The steps of entering a card.
    void EnterNewTitle(const std::string& file);  // S, open, A, R, B, V
    void EnterSameTitle();                        // after next or previous inside the title
    void EnterFromCardsList();

    // Plays a sound named by the title, once, replacing whatever plays.
    void PlaySoundFile(const std::string& name);
    void StopSound();
    // Reads a number the usual C way: leading blanks, a sign, digits; anything else ends it.
    static int32_t Atoi(const std::string& text);
    // The title of the numbered video: "0%1d.fca" below 10, "%2d.fca" from 10.
    static std::string VideoTitleName(const std::string& stem, int card);

  private:
    void Prelude(CSprite* sprite);
    void RunCardAction(CSprite* sprite, const platform::Point& point);
    void RunSceneAction(CSprite* sprite, const platform::Point& point);
    void OpenCard(CSprite* sprite);
    void NextCard(CSprite* sprite);
    void PreviousCard(CSprite* sprite);
    void CardsList();
    void ScrollText(CSprite* sprite, int action);
    void StartTextDrag(CSprite* sprite, const platform::Point& point);
    void StartVolumeDrag(CSprite* sprite, const platform::Point& point);
    void StartVideoDrag(CSprite* sprite, const platform::Point& point);
    void MuteOff(CSprite* sprite);
    void MuteOn(CSprite* sprite);
    void ShowMenu(CSprite* sprite);
    void Redraw();
    CSpriteList& Sprites();

    CPlayerCardView& view_;
};
