#include "game/JobManager.h"

#include "city/City.h"
#include "platform/Input.h"
#include "platform/Keys.h"

#include <cstdlib>
#include <ctime>
#include <iostream>

JobManager::JobManager(shaders::GLShader* markerProgram) : markerProgram(markerProgram) {
    std::srand(static_cast<unsigned int>(std::time(nullptr)));
}

void JobManager::addJob(const Job& job) {
    freeKinds.remove(job.kind());
    jobList.push_back(job);
}

int JobManager::nextRandom() { return random ? random() : std::rand(); }

void JobManager::makeJob(float vanX, float vanZ, const City& city) {
    auto draw = [this] { return ((nextRandom() % 100) * 10) / 100; };
    int i = draw();
    int j = draw();
    while (city.isStreet(i, j) != 1) {
        i = draw();
        j = draw();
    }
    std::cout << "X: " << i << ", Y: " << j << "\n";
    const int kind = freeKinds.front();
    Job job(50 * i, 50 * j, vanX, vanZ, popularity, markerProgram, kind);
    freeKinds.pop_front();
    jobList.push_back(job);
}

void JobManager::update(float dt, float vanX, float vanZ, const City& city) {
    spawnTimer += dt;
    decayTimer += dt;

    for (auto it = jobList.begin(); it != jobList.end();) {
        it->elapse(dt);
        if (it->timeLeft() < 0.0f) {
            popularity -= it->award() / 50;
            std::cout << "Zeit abgelaufen " << popularity << ", " << jobList.size() << "\n";
            releaseKind(it->kind());
            it = jobList.erase(it);
        } else {
            ++it;
        }
    }

    // One point every 200 / popularity seconds, at most one per call. At
    // popularity 0 the interval is infinite; below 0 it is negative, so
    // the step always fires.
    if (popularity != 0) {
        const float interval = 200.0f / static_cast<float>(popularity);
        if (decayTimer > interval) {
            decayTimer -= interval;
            popularity -= 1;
            std::cout << "Highscore: " << highscore << " Popularity: " << popularity << "\n";
        }
    }

    if (spawnTimer > 2.0f) {
        spawnTimer -= 2.0f;
        const int r = nextRandom() % 100;
        const int open = static_cast<int>(jobList.size());
        if (r * open * 2 < popularity && open < 3) makeJob(vanX, vanZ, city);
    }
}

void JobManager::deliver(float vanX, float vanZ) {
    for (auto it = jobList.begin(); it != jobList.end();) {
        // Within 30 along x and along z: a square around the destination, not
        // a circle, its edges left out.
        const bool inside = vanX > it->destX() - 30.0f && vanX < it->destX() + 30.0f && vanZ > it->destZ() - 30.0f &&
                            vanZ < it->destZ() + 30.0f;
        if (!inside) {
            ++it;
            continue;
        }
        // The award's road from its price to the HUD: the comment on Job (Job.h).
        const int reward = it->reward();
        highscore += reward;
        popularity += reward / 200;
        if (popularity > 100) popularity = 100;
        releaseKind(it->kind());
        it = jobList.erase(it);
        std::cout << "Job delivered " << reward << "\n";
        std::cout << "Highscore: " << highscore << " Popularity: " << popularity << "\n";
    }
}

void JobManager::handlePauseKey(float dt) {
    pauseKeyTimer += dt;
    if (platform::repeatGuardedKey(keys::PAUSE, pauseKeyTimer)) paused = !paused;
}
