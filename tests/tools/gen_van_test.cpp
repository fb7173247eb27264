// Runs gen_van and imports its van the way the game does, checking what the
// game relies on: mesh order, steered front wheels, ground contact, winding.
// GEN_VAN_EXE is the path of the built generator.

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The game's import flags: tangents, joined vertices, left-handed, triangles,
// smooth normals, flipped UVs and flipped winding.
constexpr unsigned kGameImportFlags = 0x0180004F;

struct Box {
    aiVector3D lo{1e9f, 1e9f, 1e9f};
    aiVector3D hi{-1e9f, -1e9f, -1e9f};
    void add(const aiVector3D& p) {
        lo = aiVector3D(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = aiVector3D(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
};

Box boundsOf(const aiMesh* mesh) {
    Box box;
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
        box.add(mesh->mVertices[i]);
    }
    return box;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int runGenerator(const std::string& args) {
    return std::system((std::string(GEN_VAN_EXE) + " " + args).c_str());
}

class GenVanTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = ::testing::TempDir() + "gen_van_test.obj";
        ASSERT_EQ(runGenerator(path_), 0);
        scene_ = importer_.ReadFile(path_, kGameImportFlags);
        ASSERT_NE(scene_, nullptr) << importer_.GetErrorString();
        for (unsigned m = 0; m < scene_->mNumMeshes; ++m) {
            Box b = boundsOf(scene_->mMeshes[m]);
            all_.add(b.lo);
            all_.add(b.hi);
        }
    }

    std::string path_;
    Assimp::Importer importer_;
    const aiScene* scene_ = nullptr;
    Box all_;
};

TEST_F(GenVanTest, OutputIsTheSameEveryRun) {
    std::string second = ::testing::TempDir() + "gen_van_test_2.obj";
    ASSERT_EQ(runGenerator(second), 0);
    EXPECT_EQ(readFile(path_), readFile(second));
}

TEST_F(GenVanTest, FailsWithoutWritableOutput) {
    EXPECT_NE(runGenerator("2>/dev/null"), 0);
    EXPECT_NE(runGenerator("/nonexistent_dir/vito.obj 2>/dev/null"), 0);
}

TEST_F(GenVanTest, VanSizeFitsTheCityAndSitsOnTheStreet) {
    ASSERT_GE(scene_->mNumMeshes, 11u);
    // The origin is the van's point and lies inside its footprint, front +z.
    EXPECT_LT(all_.lo.x, -1.9f);
    EXPECT_GT(all_.hi.x, 1.9f);
    EXPECT_LT(all_.lo.z, -4.0f);
    EXPECT_GT(all_.hi.z, 4.0f);
    EXPECT_GT(all_.hi.z, -all_.lo.z);  // the cab's nose is the longer end
    // The game draws the origin 0.4 under the street: tyres touch y = 0.4.
    EXPECT_NEAR(all_.lo.y, 0.4f, 0.001f);
    // A medium van's proportions: about 5.1 long, 1.9 wide and 1.9 high at
    // full size, so at this length about 3.9 wide over the body and no more
    // than 4 high; a taller box hides the street from the chase camera.
    const float length = all_.hi.z - all_.lo.z;
    EXPECT_NEAR(length, 10.6f, 0.3f);
    EXPECT_NEAR(all_.hi.y - all_.lo.y, 3.85f, 0.15f);
    Box body = boundsOf(scene_->mMeshes[0]);
    EXPECT_NEAR(body.hi.x - body.lo.x, 3.9f, 0.1f);
    // The mirrors stand out a little, not a lane's width.
    EXPECT_LT(all_.hi.x - all_.lo.x, body.hi.x - body.lo.x + 0.6f);
}

TEST_F(GenVanTest, FrontWheelsSitOnTheSteeringAxes) {
    ASSERT_GE(scene_->mNumMeshes, 11u);
    const float axleZ = all_.hi.z / 2 + 0.5f;
    Box plusX = boundsOf(scene_->mMeshes[6]);
    Box minusX = boundsOf(scene_->mMeshes[10]);
    EXPECT_GT(plusX.lo.x, 0.0f);
    EXPECT_LT(minusX.hi.x, 0.0f);
    for (const Box& wheel : {plusX, minusX}) {
        EXPECT_NEAR((wheel.lo.z + wheel.hi.z) / 2, axleZ, 0.01f);
        EXPECT_NEAR(wheel.lo.y, 0.4f, 0.001f);
    }
    // Nothing else of the van is turned with them.
    Box rear = boundsOf(scene_->mMeshes[7]);
    EXPECT_LT(rear.hi.z, 0.0f);
}

TEST_F(GenVanTest, FacesAreCounterClockwiseFromOutside) {
    // The game culls back faces: each imported triangle's winding must agree
    // with its normal, which the file gives pointing outwards.
    for (unsigned m = 0; m < scene_->mNumMeshes; ++m) {
        const aiMesh* mesh = scene_->mMeshes[m];
        ASSERT_TRUE(mesh->HasNormals());
        int wrong = 0;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            ASSERT_EQ(face.mNumIndices, 3u);
            const aiVector3D& a = mesh->mVertices[face.mIndices[0]];
            aiVector3D winding = (mesh->mVertices[face.mIndices[1]] - a) ^ (mesh->mVertices[face.mIndices[2]] - a);
            aiVector3D normal = mesh->mNormals[face.mIndices[0]] + mesh->mNormals[face.mIndices[1]] + mesh->mNormals[face.mIndices[2]];
            if (winding * normal <= 0) {
                ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << "mesh " << m;
    }
    // The roof is the top of the van and must face up, not into the body.
    bool roofFacesUp = false;
    for (unsigned m = 0; m < scene_->mNumMeshes; ++m) {
        const aiMesh* mesh = scene_->mMeshes[m];
        for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
            if (mesh->mVertices[i].y > all_.hi.y - 0.001f && mesh->mNormals[i].y > 0.99f) {
                roofFacesUp = true;
            }
        }
    }
    EXPECT_TRUE(roofFacesUp);
}

}  // namespace
