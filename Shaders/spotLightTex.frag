#version 330 compatibility

// Ten spot lights, a material, a greyscale texture and linear fog.
//
// The light positions arrive relative to the camera (x and z in eye space,
// y as the light's height minus 10) and the cone axes in eye space, so the
// lighting is done in eye space. This stage is the most expensive code of
// the game and runs on software rasterisers too, where both sides of every
// branch are computed, only a loop that every pixel of a block has left
// saves work, and whatever follows from the uniforms or the face alone is
// worked out again for every block of pixels. So the vertex stage hands
// over, per face, the cones of the two head lights, which light most of
// what is seen and are added here without a loop, and their height over
// the face's plane. The high moon light (light 2) and the lamps that can
// reach a face are visited by one loop: such a loop runs its body at least
// once for every block, even one whose face has no lamp, so the moon, which
// lights every face, takes that first pass instead of wasting it.
uniform sampler2D colorTexture;
uniform vec4 ambient;
uniform vec4 diffuse;
uniform vec4 specular;
uniform float fog_start;
uniform float fog_end;
uniform vec4 fog_color;
uniform vec4 lightPos[10];
uniform vec3 spotDir[10];
uniform float spotCosCutoff[10];

in vec3 eyePosition;
flat in vec3 eyeNormal;
in vec2 texCoord;
flat in int lightMask;
flat in vec4 headCone0;
flat in vec4 headCone1;
flat in vec3 faceTowards;  // see the vertex stage

out vec4 fragColor;

// Lights fade with distance, so the high moon light is a dim wash while the
// lamps and head lights make bright pools.
const float FALLOFF_SQ = 170.0 * 170.0;

// Full strength a quarter of the way into the cone, from a cone value
// already scaled to 0..1 across the rim.
float smoothCone(float cone) { return cone * cone * (3.0 - 2.0 * cone); }

// Adds one light's diffuse and specular strength at this fragment, from its
// cone strength, the cosine between the face's normal and the light
// (`towards`), the squared distance to it, the cosine between the light and
// the eye, and the cosine between the normal and the eye.
void addStrength(float cone, float towards, float distanceSq, float lightDotEye, float eyeFacing,
                 inout float diffuseSum, inout float specularSum)
{
    // |l + e|^2 and n . (l + e) for the unit vectors l to the light and e to the eye.
    float hh = max(2.0 + 2.0 * lightDotEye, 1e-6);
    float facing = max(towards + eyeFacing, 0.0);
    // One division for both the falloff and the half vector's cosine.
    float reciprocal = 1.0 / ((FALLOFF_SQ + distanceSq) * hh);
    float strength = cone * towards * (FALLOFF_SQ * hh * reciprocal);
    float s = facing * facing * ((FALLOFF_SQ + distanceSq) * reciprocal);
    s *= s; s *= s; s *= s; s *= s;  // a shininess of 32
    diffuseSum += strength;
    specularSum += s * strength;
}

void main()
{
    float eyeDistanceSq = max(dot(eyePosition, eyePosition), 1e-8);
    float inverseEye = inversesqrt(eyeDistanceSq);
    // Nearer than fog_start the clamp gives 1 anyway; fog_start is read here
    // because Mesa leaks driver memory when only the vertex stage reads it.
    float fogFactor = clamp((fog_end - max(eyeDistanceSq * inverseEye, fog_start)) * faceTowards.z, 0.0, 1.0);
    float eyeFacing = -faceTowards.y * inverseEye;
    float diffuseSum = 0.0;
    float specularSum = 0.0;

    // The head lights both stand at the van and differ only in their cones,
    // so everything but the cones is worked out once for the pair. Should
    // they ever stand apart, the vertex stage gives the pair no height over
    // the face and leaves both in the face's light set.
    vec3 toHead = lightPos[0].xyz - eyePosition;
    float headSq = dot(toHead, toHead);
    float inverseHead = inversesqrt(headSq);
    float heads = smoothCone(clamp(-dot(toHead, headCone0.xyz) * inverseHead - headCone0.w, 0.0, 1.0)) +
                  smoothCone(clamp(-dot(toHead, headCone1.xyz) * inverseHead - headCone1.w, 0.0, 1.0));
    addStrength(heads, faceTowards.x * inverseHead, headSq, -dot(toHead, eyePosition) * inverseHead * inverseEye,
                eyeFacing, diffuseSum, specularSum);

    // The moon, then the face's other lights, lowest set bit first; a bit's
    // index is the exponent of its value as a float.
    int mask = lightMask;
    int i = 2;
    for (;;) {
        vec3 toLight = lightPos[i].xyz - eyePosition;
        float distanceSq = dot(toLight, toLight);
        float inverseDistance = inversesqrt(distanceSq);
        vec3 axis = spotDir[i];
        float along = -dot(toLight, axis) * (inverseDistance * inversesqrt(dot(axis, axis)));
        float cutoff = spotCosCutoff[i];
        float cone = smoothCone(clamp((along - cutoff) / (0.25 - 0.25 * cutoff), 0.0, 1.0));
        addStrength(cone, max(dot(eyeNormal, toLight), 0.0) * inverseDistance, distanceSq,
                    -dot(toLight, eyePosition) * inverseDistance * inverseEye, eyeFacing, diffuseSum, specularSum);
        if (mask == 0) break;
        i = (floatBitsToInt(float(mask & -mask)) >> 23) - 127;
        mask &= mask - 1;
    }
    float texel = texture(colorTexture, texCoord).r;
    vec3 lit = texel * (ambient.rgb + diffuse.rgb * diffuseSum + specular.rgb * specularSum);
    fragColor = vec4(mix(fog_color.rgb, lit, fogFactor), 1.0);
}
