#include "SkinRead.h"
#include "SysUtils.h"
#include "WinSkinStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string StreamText(const TMemoryStream& stream) {
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void Fill(TMemoryStream& stream, const std::string& text) {
    stream.Clear();
    stream.WriteBuffer(text.data(), text.size());
}

TEST(SkinStore, NewItemsAreNamedAfterTheirCollectionId) {
    TSkinStore store(nullptr);
    TSkinCollection& items = store.Store();
    EXPECT_EQ(items.Owner(), &store);
    EXPECT_EQ(items.Add()->Name(), "SkinItem0");
    EXPECT_EQ(items.Add()->Name(), "SkinItem1");
    TSkinCollectionItem* third = items.Add();
    EXPECT_EQ(third->Name(), "SkinItem2");
    EXPECT_EQ(third->DisplayName(), "SkinItem2");
    EXPECT_EQ(third->Index(), 2);

    // Ids are never reused, so a name never comes back after a delete.
    items.Delete(2);
    EXPECT_EQ(items.Add()->Name(), "SkinItem3");
    EXPECT_EQ(items.FindItemID(3), items.Items(2));
    EXPECT_EQ(items.FindItemID(2), nullptr);
}

TEST(SkinStore, ANameUsedByAnotherItemIsRefused) {
    TSkinStore store(nullptr);
    store.Store().Add();
    store.Store().Add();
    TSkinCollectionItem* item = store.Store().Add();
    try {
        item->SetName("SkinItem1");
        ADD_FAILURE() << "a duplicate name was taken";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The name SkinItem1 is already used.");
    }
    EXPECT_EQ(item->Name(), "SkinItem2");

    item->SetName("skinitem1"); // names compare exactly
    EXPECT_EQ(item->Name(), "skinitem1");
    item->SetName("skinitem1"); // its own name is no conflict
    EXPECT_TRUE(store.Store().Items(0)->SetPropText("Name", "Classic"));
    EXPECT_EQ(store.Store().Items(0)->Name(), "Classic");
    EXPECT_THROW(store.Store().Items(1)->SetPropText("Name", "Classic"), Exception);
}

TEST(SkinStore, DataSizeFollowsThePackedSkinAndSkinDataCarriesNothing) {
    TSkinStore store(nullptr);
    TSkinCollectionItem* item = store.Store().Add();
    Fill(item->DataStream(), "packed bytes");
    EXPECT_EQ(item->PropText("DataSize"), "12");
    EXPECT_FALSE(item->SetPropText("DataSize", "3")); // read-only
    EXPECT_TRUE(item->SetPropText("SkinData", "anything"));
    EXPECT_EQ(item->PropText("SkinData"), "Load Skin");
    EXPECT_EQ(item->DataSize(), 12);
}

TEST(SkinStore, DataStreamPropertyIsThePackedSkinByteForByte) {
    TSkinStore store(nullptr);
    TSkinCollectionItem* item = store.Store().Add();
    Fill(item->DataStream(), "old and longer content");

    TMemoryStream value;
    const std::string bytes("\x04\x00\x00\x00\xFF\x00zz", 8);
    Fill(value, bytes);
    value.SetPosition(5); // the whole value is read, wherever it stands
    item->ReadDataStream(value);
    EXPECT_EQ(StreamText(item->DataStream()), bytes);
    EXPECT_EQ(item->DataStream().Position(), 0);

    TMemoryStream written;
    item->DataStream().Seek(0, soEnd);
    item->WriteDataStream(written);
    EXPECT_EQ(StreamText(written), bytes);
}

TEST(SkinStore, AssigningCopiesNamesAndSkins) {
    TSkinStore source(nullptr);
    TSkinCollectionItem* a = source.Store().Add();
    a->SetName("Graphite");
    Fill(a->DataStream(), "AAAA");
    a->DataStream().SetPosition(2);
    Fill(source.Store().Add()->DataStream(), "BB");

    TSkinStore target(nullptr);
    target.Store().Add();
    target.SetStore(&source.Store());
    ASSERT_EQ(target.Store().Count(), 2);
    EXPECT_EQ(target.Store().Items(0)->Name(), "Graphite");
    EXPECT_EQ(StreamText(target.Store().Items(0)->DataStream()), "AAAA");
    EXPECT_EQ(target.Store().Items(1)->Name(), "SkinItem1");
    EXPECT_EQ(StreamText(target.Store().Items(1)->DataStream()), "BB");
    EXPECT_EQ(a->DataStream().Position(), 2); // the source is left as it was

    target.SetStore(nullptr); // ignored
    EXPECT_EQ(target.Store().Count(), 2);

    TSkinCollectionItem* copy = source.Store().Add();
    EXPECT_THROW(copy->Assign(*a), Exception); // same collection: the name is taken
    EXPECT_EQ(copy->DataSize(), 0);
}

TEST(SkinStream, CountThenBytes) {
    TMemoryStream packed;
    TMemoryStream value;
    WriteSkinStream(value, packed);
    EXPECT_EQ(StreamText(value), std::string(4, '\0')); // a component without a skin

    Fill(packed, "SKIN");
    value.Clear();
    WriteSkinStream(value, packed);
    EXPECT_EQ(StreamText(value), std::string("\x04\x00\x00\x00SKIN", 8));

    TMemoryStream readBack;
    value.SetPosition(0);
    EXPECT_TRUE(ReadSkinStream(value, readBack));
    EXPECT_EQ(StreamText(readBack), "SKIN");
    EXPECT_EQ(readBack.Position(), 0);
}

TEST(SkinStream, NothingOrTooLittleKeepsWhatWasHeld) {
    TMemoryStream held;
    Fill(held, "held");
    for (const std::string& bytes : {std::string(4, '\0'), std::string("\xFF\xFF\xFF\xFFxx", 6)}) {
        TMemoryStream value;
        Fill(value, bytes);
        value.SetPosition(0);
        EXPECT_FALSE(ReadSkinStream(value, held));
        EXPECT_EQ(value.Position(), 4); // nothing read past the count
        EXPECT_EQ(StreamText(held), "held");
    }
    // A count past the end: refused before anything of that size is allocated.
    TMemoryStream value;
    Fill(value, std::string("\xFF\xFF\xFF\x7FSKIN", 8));
    value.SetPosition(0);
    EXPECT_THROW(ReadSkinStream(value, held), EReadError);
    EXPECT_EQ(StreamText(held), "held");
}

#ifdef PP_PACKED_SKIN_COUNT
// The packed skins the build made from skins/ and linked in as resources.
TEST(BuiltInSkins, EveryStoreItemIsASoundVersion70000Skin) {
    TSkinStore store(nullptr);
    HINSTANCE module = GetModuleHandleA(nullptr);
    ASSERT_EQ(LoadSkinStoreResources(store, module), PP_PACKED_SKIN_COUNT);
    for (int i = 0; i < store.Store().Count(); ++i) {
        TSkinCollectionItem* item = store.Store().Items(i);
        SCOPED_TRACE(item->Name());
        EXPECT_EQ(item->Name(), "SkinItem" + std::to_string(i));
        const std::vector<std::uint8_t>& packed = item->DataStream().Bytes();

        TLzhUnpackResult result;
        std::vector<std::uint8_t> archive = LzhUnpack(packed, &result);
        EXPECT_EQ(result.CodeBytesUsed, packed.size() - 4); // every code byte is used
        EXPECT_EQ(archive.size(), result.AnnouncedSize);

        TSkinReader reader;
        std::string error;
        ASSERT_TRUE(reader.ReadArchive(item->DataStream(), error)) << error;
        EXPECT_EQ(reader.Version(), 70000u);
        int descriptions = 0;
        for (int k = 0; k < reader.Count(); ++k)
            descriptions += reader.Names()[k].find(".ini") != std::string::npos;
        EXPECT_EQ(descriptions, 1);
        ASSERT_GT(reader.Count(), 0);
        EXPECT_NE(reader.Names()[reader.Count() - 1].find(".ini"), std::string::npos); // last
    }

    TMemoryStream builtIn;
    if (PP_PACKED_SKIN_COUNT > 1) {
        ASSERT_TRUE(LoadSkinStreamResource(builtIn, module));
        EXPECT_TRUE(builtIn.Bytes() == store.Store().Items(1)->DataStream().Bytes());
    } else {
        EXPECT_FALSE(LoadSkinStreamResource(builtIn, module));
    }
}
#endif

} // namespace
