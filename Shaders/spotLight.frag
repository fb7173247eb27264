#version 330 compatibility

// The van's paint under the spot lights and the material of the cell it
// stands on. Colours may exceed 1 (the model's palette is partly given on a
// 0..255 scale); they are clamped, which makes those parts fully saturated.
uniform vec4 ambient;
uniform vec4 diffuse;
uniform vec4 specular;
uniform vec4 lightPos[10];
uniform vec3 spotDir[10];
uniform float spotCosCutoff[10];

in vec3 vanRelative;
in vec3 eyeNormal;
in vec3 eyePosition;
in vec4 color;

out vec4 fragColor;

const float FALLOFF_DISTANCE = 170.0;
const float SHININESS = 32.0;

void main()
{
    vec3 base = clamp(color.rgb, 0.0, 1.0);
    vec3 n = normalize(eyeNormal);
    vec3 toEye = normalize(-eyePosition);
    vec3 diffuseSum = vec3(0.0);
    vec3 specularSum = vec3(0.0);
    // Lights 0 and 1 are the van's own head lights; they shine away from it.
    for (int i = 2; i < 10; ++i) {
        vec3 toLight = lightPos[i].xyz - vanRelative;
        float lightDistance = length(toLight);
        vec3 l = toLight / lightDistance;
        float cosAngle = dot(-l, normalize(spotDir[i]));
        float cutoff = spotCosCutoff[i];
        if (cosAngle <= cutoff)
            continue;
        float lambert = max(dot(n, l), 0.0);
        float cone = smoothstep(cutoff, mix(cutoff, 1.0, 0.25), cosAngle);
        float d = lightDistance / FALLOFF_DISTANCE;
        float strength = cone / (1.0 + d * d);
        diffuseSum += diffuse.rgb * (lambert * strength);
        vec3 h = normalize(l + toEye);
        specularSum += specular.rgb * (pow(max(dot(n, h), 0.0), SHININESS) * strength);
    }
    // A faint key light from the camera keeps the van readable between
    // the lamps; the lamps and the cell's material do the rest.
    float fill = 0.08 * max(dot(n, toEye), 0.0);
    vec3 lit = base * (ambient.rgb + diffuseSum + vec3(fill)) + specularSum;
    fragColor = vec4(lit, 1.0);
}
