// plugin_fixture.h - shared set-up for the end-to-end tests: a stand-in host session with the
// built plug-in loaded through its entry point, an in-memory file store, and small helpers
// to build documents and books and read back what a command produced.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/model/builder.h"
#include "host/com/session.h"

namespace tw::e2e {

using host::BookBuilder;
using host::DocBuilder;
using host::Document;
using host::MemoryStore;
using host::Model;
using host::ParagraphText;
using host::Session;

// A store whose saves to some paths fail, as a read-only or locked file would, and whose
// first loads of some paths fail, as a file on a network drive that comes back would.
class FlakyStore : public MemoryStore {
public:
    std::set<std::string> unsaveable;
    std::map<std::string, int> failingLoads; // native path -> loads still to fail
    host::LoadResult load(Model& m, const std::string& path) override
    {
        auto it = failingLoads.find(host::NativePath(path));
        if (it != failingLoads.end() && it->second > 0) {
            it->second--;
            host::LoadResult r;
            r.error = "Cannot read " + path;
            return r;
        }
        return MemoryStore::load(m, path);
    }
    bool save(const Model& m, const Document& doc, const std::string& path, std::string& error) override
    {
        if (unsaveable.count(host::NativePath(path))) {
            error = "Cannot write " + path;
            return false;
        }
        return MemoryStore::save(m, doc, path, error);
    }
    using MemoryStore::save;
};

class PluginTest : public ::testing::Test {
protected:
    explicit PluginTest(host::MemoryMode mode = host::MemoryMode::Shared) : session(mode) { session.setStore(&store); }

    // Loads the plug-in; the model can be prepared before (menus, documents).
    void Load(int32_t initType = 1)
    {
        std::string error;
        ASSERT_TRUE(session.load(error, Session::DefaultPluginPath(), initType)) << error;
    }

    Model& model() { return session.model(); }

    // Adds an in-memory document as if the user had opened it, and makes it active.
    ObjectId Open(DocBuilder& builder)
    {
        auto doc = builder.build();
        ObjectId id = session.add(*doc);
        session.activate(id);
        return id;
    }

    // Puts a document into the store under path (a book file on "disk").
    void Put(const std::string& path, DocBuilder& builder)
    {
        auto doc = builder.build();
        store.put(path, *doc);
    }

    // The only output document of the last command, as (tag, text) paragraphs without the
    // empty paragraph every output document ends with.
    std::vector<ParagraphText> Output()
    {
        auto outputs = session.outputDocuments();
        EXPECT_EQ(outputs.size(), 1u);
        if (outputs.empty())
            return {};
        auto paragraphs = session.paragraphs(outputs.front());
        EXPECT_FALSE(paragraphs.empty());
        if (!paragraphs.empty()) {
            EXPECT_EQ(paragraphs.back(), (ParagraphText{paragraphs.back().tag, ""}));
            paragraphs.pop_back();
        }
        return paragraphs;
    }

    std::vector<std::string> Alerts()
    {
        std::vector<std::string> texts;
        for (const auto& alert : session.alerts())
            texts.push_back(alert.text);
        return texts;
    }

    FlakyStore store;
    Session session;
};

// Listings as (tag, text) pairs, written compactly in the tests.
inline ParagraphText H1(const std::string& text) { return {"Heading1", text}; }
inline ParagraphText H2(const std::string& text) { return {"Heading2", text}; }
inline ParagraphText Body(const std::string& text) { return {"Body", text}; }

} // namespace tw::e2e
