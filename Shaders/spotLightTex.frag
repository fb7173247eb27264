#version 330 compatibility

// Ten spot lights, a material, a greyscale texture and linear fog.
//
// The light positions arrive relative to the camera (x and z in eye space,
// y as the light's height minus 10) and the cone axes in eye space, so the
// lighting is done in eye space. This stage is the most expensive code of
// the game and runs on software rasterisers too, where both sides of every
// branch are computed and only a loop that every pixel of a block has left
// saves work. A loop costs much more there than the same code without
// one, so the high moon light (light 2) and the two head lights, which
// light most of what is seen, are added without a loop, and only the lamps
// that can reach a face are visited, by a loop over the face's light set
// from the vertex stage.
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

out vec4 fragColor;

// Lights fade with distance, so the high moon light (light 2) is a dim wash
// while the lamps and head lights make bright pools.
const float FALLOFF_SQ = 170.0 * 170.0;

// Adds one light's diffuse and specular strength at this fragment.
void addLight(int i, vec3 toEye, inout float diffuseSum, inout float specularSum)
{
    vec3 toLight = lightPos[i].xyz - eyePosition;
    float distanceSq = dot(toLight, toLight);
    float inverseDistance = inversesqrt(distanceSq);
    vec3 axis = spotDir[i];
    float along = -dot(toLight, axis) * (inverseDistance * inversesqrt(dot(axis, axis)));
    float cutoff = spotCosCutoff[i];
    // Soft rim: full strength a quarter of the way into the cone.
    float cone = clamp((along - cutoff) / (0.25 - 0.25 * cutoff), 0.0, 1.0);
    float strength = cone * cone * (3.0 - 2.0 * cone) * (max(dot(eyeNormal, toLight), 0.0) * inverseDistance) *
                     (FALLOFF_SQ / (FALLOFF_SQ + distanceSq));
    diffuseSum += strength;
    // The cosine at the half vector, squared, without normalising it.
    vec3 h = toLight * inverseDistance + toEye;
    float facing = max(dot(eyeNormal, h), 0.0);
    float s = facing * facing / dot(h, h);
    s *= s; s *= s; s *= s; s *= s;  // a shininess of 32
    specularSum += s * strength;
}

// The head lights (0 and 1) both stand at the van and differ only in their
// cones, so everything but the cones is worked out once for the pair.
void addHeadLights(vec3 toEye, inout float diffuseSum, inout float specularSum)
{
    vec3 toLight = lightPos[0].xyz - eyePosition;
    float distanceSq = dot(toLight, toLight);
    float inverseDistance = inversesqrt(distanceSq);
    vec3 axis0 = spotDir[0];
    vec3 axis1 = spotDir[1];
    float along0 = -dot(toLight, axis0) * (inverseDistance * inversesqrt(dot(axis0, axis0)));
    float along1 = -dot(toLight, axis1) * (inverseDistance * inversesqrt(dot(axis1, axis1)));
    float cutoff0 = spotCosCutoff[0];
    float cutoff1 = spotCosCutoff[1];
    float cone0 = clamp((along0 - cutoff0) / (0.25 - 0.25 * cutoff0), 0.0, 1.0);
    float cone1 = clamp((along1 - cutoff1) / (0.25 - 0.25 * cutoff1), 0.0, 1.0);
    float cones = cone0 * cone0 * (3.0 - 2.0 * cone0) + cone1 * cone1 * (3.0 - 2.0 * cone1);
    float strength = cones * (max(dot(eyeNormal, toLight), 0.0) * inverseDistance) *
                     (FALLOFF_SQ / (FALLOFF_SQ + distanceSq));
    diffuseSum += strength;
    vec3 h = toLight * inverseDistance + toEye;
    float facing = max(dot(eyeNormal, h), 0.0);
    float s = facing * facing / dot(h, h);
    s *= s; s *= s; s *= s; s *= s;  // a shininess of 32
    specularSum += s * strength;
}

void main()
{
    float distance = length(eyePosition);
    float fogFactor = clamp((fog_end - distance) / max(fog_end - fog_start, 0.0001), 0.0, 1.0);
    vec3 toEye = -eyePosition / max(distance, 0.0001);
    float diffuseSum = 0.0;
    float specularSum = 0.0;
    addLight(2, toEye, diffuseSum, specularSum);
    // A light that cannot reach the face adds nothing, so the pair may be
    // added to every face. Should the head lights ever stand apart, the
    // pair's sum is dropped and each is visited on its own below.
    bool together = lightPos[0].xyz == lightPos[1].xyz;
    float pairDiffuse = 0.0;
    float pairSpecular = 0.0;
    addHeadLights(toEye, pairDiffuse, pairSpecular);
    diffuseSum += together ? pairDiffuse : 0.0;
    specularSum += together ? pairSpecular : 0.0;
    // The other lights, lowest set bit first; a bit's index is the
    // exponent of its value as a float.
    for (int mask = lightMask & (together ? ~7 : ~4); mask != 0; mask &= mask - 1) {
        int i = (floatBitsToInt(float(mask & -mask)) >> 23) - 127;
        addLight(i, toEye, diffuseSum, specularSum);
    }
    float texel = texture(colorTexture, texCoord).r;
    vec3 lit = texel * (ambient.rgb + diffuse.rgb * diffuseSum + specular.rgb * specularSum);
    fragColor = vec4(mix(fog_color.rgb, lit, fogFactor), 1.0);
}
