#pragma once

#include "city/City.h"
#include "math/ReferenceFrame.h"
#include "vehicle/Geometry.h"

#include <glm/glm.hpp>

#include <string>

class JobManager;
class SpotLights;

// The player's van. It is not a free body: its position and heading are
// the chase camera's frame moved forward by the chase distance, so
// steering the van turns the camera. The model is placed by a second frame
// kept in eye coordinates, chaseDistance ahead of and 7.4 below the camera.
class MoveableObject {
public:
    MoveableObject() = default;
    MoveableObject(Camera camera, City* city, const std::string& modelFile, SpotLights* lights);
    virtual ~MoveableObject() = default;
    MoveableObject(const MoveableObject&) = default;
    MoveableObject& operator=(const MoveableObject&) = default;

    // Reads the keys, drives, collides, delivers; *out gets the van point.
    virtual void move(glm::vec3* out, float dt, JobManager* jobManager);
    virtual void draw(const glm::mat4& mv, const glm::mat4& p, const glm::mat3& n);

    glm::vec3 position() const;
    glm::vec3 headlightPosition() const;
    glm::vec3 headlightDirection() const { return modelFrame.forward(); }

    // The van's copy of the city; the game hands it a rebuilt one.
    void setCity(const City& newCity) { city = newCity; }
    const Geometry& geometry() const { return model; }

    float speed = 0.0f;
    float acceleration = 0.0f;
    ReferenceFrame modelFrame;
    Camera chaseCamera;
    float maxChaseDistance = 25.0f;
    float chaseDistance = 25.0f;
    float steer = 0.0f;

private:
    // One step of throttle, steering, collision and chase distance; true
    // when the van hit a building.
    bool driveStep(float dt);
    bool collide(const glm::vec3& savedOrigin, const glm::vec3& savedForward);
    void adjustChaseDistance();
    bool blockedAtCamera() const;

    City city;
    Geometry model;
};
