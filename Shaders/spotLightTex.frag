#version 330 compatibility

// Ten spot lights, a material, a greyscale texture and linear fog.
//
// The light positions arrive relative to the camera (x and z in eye space,
// y as the light's height minus 10), the cone axes in eye space, so the
// lighting is done in eye space. This stage is the most expensive code of
// the game (ten lights for every pixel of the window), so it leaves out
// what cannot show: fully fogged fragments skip the lights, and a light
// outside whose cone a fragment lies costs one dot product.
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
in vec3 eyeNormal;
in vec2 texCoord;

out vec4 fragColor;

// Lights fade with distance, so the high moon light (light 2) is a dim wash
// while the lamps and head lights make bright pools.
const float FALLOFF_DISTANCE = 170.0;
const float SHININESS = 24.0;

void main()
{
    float distance = length(eyePosition);
    float fogFactor = clamp((fog_end - distance) / max(fog_end - fog_start, 0.0001), 0.0, 1.0);
    if (fogFactor <= 0.0) {
        fragColor = vec4(fog_color.rgb, 1.0);
        return;
    }

    vec3 n = normalize(eyeNormal);
    vec3 toEye = -eyePosition / max(distance, 0.0001);
    vec3 diffuseSum = vec3(0.0);
    vec3 specularSum = vec3(0.0);
    for (int i = 0; i < 10; ++i) {
        vec3 toLight = lightPos[i].xyz - eyePosition;
        float lightDistance = length(toLight);
        vec3 l = toLight / lightDistance;
        float cosAngle = dot(-l, normalize(spotDir[i]));
        float cutoff = spotCosCutoff[i];
        if (cosAngle <= cutoff)
            continue;
        float lambert = dot(n, l);
        if (lambert <= 0.0)
            continue;
        // Soft rim: full strength a quarter of the way into the cone.
        float cone = smoothstep(cutoff, mix(cutoff, 1.0, 0.25), cosAngle);
        float d = lightDistance / FALLOFF_DISTANCE;
        float strength = cone / (1.0 + d * d);
        diffuseSum += diffuse.rgb * (lambert * strength);
        vec3 h = normalize(l + toEye);
        specularSum += specular.rgb * (pow(max(dot(n, h), 0.0), SHININESS) * strength);
    }

    float texel = texture(colorTexture, texCoord).r;
    vec3 lit = texel * (ambient.rgb + diffuseSum) + specularSum * texel;
    fragColor = vec4(mix(fog_color.rgb, lit, fogFactor), 1.0);
}
