#include <gtest/gtest.h>

#include "model/DocumentTypes.h"

TEST(DocumentTypes, EachProgramRegistersItsTitlesAndThePlayerItsScenes) {
    DocumentType editor = DocumentTypeFor(Variant::editor);
    EXPECT_EQ(editor.windowTitle, "Fabrio");
    EXPECT_EQ(editor.filterName, "Fabrio Files (*.fca)");
    EXPECT_EQ(editor.extension, ".FCA");
    EXPECT_EQ(editor.registryTypeName, "Fabrio Document");

    DocumentType player = DocumentTypeFor(Variant::player);
    EXPECT_EQ(player.windowTitle, "Orvanta");
    EXPECT_EQ(player.documentName, "");  // the player's documents have no name of their own
    EXPECT_EQ(player.fileNewName, "Lumeo");
    EXPECT_EQ(player.filterName, "Quelta Files (*.fca)");
    EXPECT_EQ(player.registryTypeId, "Quelta.Document");

    DocumentType scene = DocumentTypeFor(Variant::player, true);
    EXPECT_EQ(scene.filterName, "Quelta Files (*.anm)");
    EXPECT_EQ(scene.extension, ".ANM");
    EXPECT_EQ(scene.registryTypeName, "Lumeo Document");
}

TEST(DocumentTypes, AShortResourceLeavesTheMissingFieldsEmpty) {
    DocumentType t = ParseDocumentType("Solo\n\nNuevo");
    EXPECT_EQ(t.windowTitle, "Solo");
    EXPECT_EQ(t.fileNewName, "Nuevo");
    EXPECT_EQ(t.filterName, "");
    EXPECT_EQ(t.registryTypeName, "");
}
